// How the terminal face lays text out: what of a text may reach the terminal,
// how wide it is in columns (a kanji takes two), how a line is cut or folded
// to a width, and where the start dialog's columns go. No drawing here.
#pragma once

#include <string>
#include <vector>

namespace terminal_layout {

// `text` with every control character (a folder may be named with escape
// sequences) written as \xNN, and bytes that are no UTF-8 as \xNN too; a
// "\r\n" or "\n" ends a line and is kept as "\n".
std::string Escape(const std::string& text);
// The same for a text shown as one line (a path, a row of the font list):
// a newline or a tab is escaped too.
std::string EscapeLine(const std::string& text);

// The columns an escaped UTF-8 text takes on the terminal.
int DisplayWidth(const std::string& text);

// At most `width` columns of one line: its start kept, "…" where it was cut.
std::string CutEnd(const std::string& line, int width);
// At most `width` columns of one line: its end kept (a path tells most by its
// last folders), "…" where it was cut.
std::string CutStart(const std::string& line, int width);

// The lines of an escaped text, each folded to at most `width` columns.
std::vector<std::string> Fold(const std::string& text, int width);

// The start dialog's three columns of font lines (each ending in "\n"):
// side by side, padded to a common width, when they fit in `width` columns;
// one after the other otherwise. Empty columns take no room.
std::vector<std::string> ArrangeColumns(const std::string (&columns)[3], int width);

}  // namespace terminal_layout
