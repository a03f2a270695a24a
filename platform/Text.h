// The program's own narrow text is UTF-8 on every system: what it shows comes
// from its literals (UTF-8), from the update list (code page 932, converted)
// and from paths (the file system's narrow code page, converted).
#pragma once

#include <string>

namespace platform {

// `text` read as code page 932, in UTF-8. Bytes that are no CP932 character
// become U+FFFD.
std::string Cp932ToUtf8(const std::string& text);

// A line of the update list (code page 932) in the program's own text.
std::string Cp932ToProgramText(const std::string& text);

// A path as the file functions give it, in the program's own text: on
// Windows the narrow functions give the system's ANSI code page, which need
// not be 932 (it is 1252 on a Western European system); Linux names are
// shown as they are (a face escapes what is no UTF-8).
std::string PathToProgramText(const std::string& path);

}  // namespace platform

namespace platform {

// Text from outside the program (a path, a font name) as a terminal may show
// it: every control character (newline and tab included, and the C1
// controls) and every byte that is no UTF-8 written as \xNN. With
// `keepLineEnds` a "\n" or "\r\n" stays a line end ("\n"): for the
// program's own messages, whose outside parts are escaped first.
std::string EscapeForTerminal(const std::string& text, bool keepLineEnds = false);

// Whether standard output is a terminal (a line can then be rewritten in place).
bool StandardOutputIsTerminal();

}  // namespace platform
