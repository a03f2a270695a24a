// Converting the update list's Shift-JIS (code page 932) text for a UTF-8
// terminal.
#pragma once

#include <string>

namespace platform {

// `text` read as code page 932, in UTF-8. Bytes that are no CP932 character
// become U+FFFD.
std::string Cp932ToUtf8(const std::string& text);

// A line of the update list (code page 932) in the program's own narrow
// text: unchanged on Windows, where the program's texts are code page 932
// too; UTF-8 on Linux.
std::string Cp932ToProgramText(const std::string& text);

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
