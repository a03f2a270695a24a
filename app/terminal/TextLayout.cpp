// The terminal face's text layout.
#include "app/terminal/TextLayout.h"

#include <algorithm>
#include <cwchar>

#include "platform/Text.h"

namespace terminal_layout {
namespace {

// The length of the UTF-8 sequence that starts at `at`, or 0 when the bytes
// there are no well-formed character.
std::size_t SequenceLength(const std::string& text, std::size_t at) {
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  std::size_t length = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF)
    length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF)
    length = 3;
  else if (lead >= 0xF0 && lead <= 0xF4)
    length = 4;
  else
    return 0;
  if (at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

char32_t Decode(const std::string& text, std::size_t at, std::size_t length) {
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  if (length == 1) return lead;
  char32_t value = lead & (0xFF >> (length + 1));
  for (std::size_t i = 1; i < length; ++i) value = (value << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
  return value;
}

int CharacterWidth(char32_t c) {
  const int width = ::wcwidth(static_cast<wchar_t>(c));
  if (width >= 0) return width;
  // Without a UTF-8 locale wcwidth knows nothing past ASCII: the East Asian
  // wide ranges the program's texts use take two columns.
  if ((c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
      (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
      (c >= 0xFFE0 && c <= 0xFFE6))
    return 2;
  return 1;
}

// Calls `each(begin, length, width)` for every character of an escaped text.
template <typename Each>
void ForEachCharacter(const std::string& text, Each each) {
  for (std::size_t at = 0; at < text.size();) {
    std::size_t length = SequenceLength(text, at);
    if (length == 0) length = 1;
    each(at, length, CharacterWidth(Decode(text, at, length)));
    at += length;
  }
}

const std::string kEllipsis = "…";

}  // namespace

std::string Escape(const std::string& text) { return platform::EscapeForTerminal(text, true); }

std::string EscapeLine(const std::string& text) { return platform::EscapeForTerminal(text, false); }

int DisplayWidth(const std::string& text) {
  int width = 0;
  ForEachCharacter(text, [&](std::size_t, std::size_t, int w) { width += w; });
  return width;
}

std::string CutEnd(const std::string& line, int width) {
  if (DisplayWidth(line) <= width) return line;
  if (width <= 0) return std::string();
  std::string out;
  int used = 0;
  bool full = false;
  ForEachCharacter(line, [&](std::size_t at, std::size_t length, int w) {
    if (full || used + w > width - 1) {
      full = true;
      return;
    }
    out.append(line, at, length);
    used += w;
  });
  return out + kEllipsis;
}

std::string CutStart(const std::string& line, int width) {
  if (DisplayWidth(line) <= width) return line;
  if (width <= 0) return std::string();
  std::vector<std::pair<std::size_t, int>> starts;
  ForEachCharacter(line, [&](std::size_t at, std::size_t, int w) { starts.emplace_back(at, w); });
  int used = 0;
  std::size_t from = line.size();
  for (std::size_t i = starts.size(); i > 0; --i) {
    if (used + starts[i - 1].second > width - 1) break;
    used += starts[i - 1].second;
    from = starts[i - 1].first;
  }
  return kEllipsis + line.substr(from);
}

std::vector<std::string> Fold(const std::string& text, int width) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t end = text.find('\n', begin);
    const std::string line = text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    std::string current;
    int used = 0;
    ForEachCharacter(line, [&](std::size_t at, std::size_t length, int w) {
      if (used + w > width && !current.empty()) {
        lines.push_back(current);
        current.clear();
        used = 0;
      }
      current.append(line, at, length);
      used += w;
    });
    lines.push_back(current);
    if (end == std::string::npos) break;
    begin = end + 1;
  }
  return lines;
}

std::vector<std::string> ArrangeColumns(const std::string (&columns)[3], int width) {
  constexpr int kGap = 2;
  std::vector<std::vector<std::string>> split;
  int total = 0;
  for (const std::string& column : columns) {
    if (column.empty()) continue;
    std::vector<std::string> lines = Fold(column, 1 << 20);
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    int columnWidth = 0;
    for (const std::string& line : lines) columnWidth = std::max(columnWidth, DisplayWidth(line));
    total += (split.empty() ? 0 : kGap) + columnWidth;
    split.push_back(std::move(lines));
  }
  std::vector<std::string> out;
  if (total <= width) {
    std::size_t rows = 0;
    for (const auto& lines : split) rows = std::max(rows, lines.size());
    std::vector<int> widths;
    for (const auto& lines : split) {
      int w = 0;
      for (const std::string& line : lines) w = std::max(w, DisplayWidth(line));
      widths.push_back(w);
    }
    for (std::size_t row = 0; row < rows; ++row) {
      std::string line;
      for (std::size_t c = 0; c < split.size(); ++c) {
        const std::string cell = row < split[c].size() ? split[c][row] : std::string();
        if (c + 1 == split.size()) {
          line += cell;
        } else {
          line += cell + std::string(static_cast<std::size_t>(widths[c] - DisplayWidth(cell) + kGap), ' ');
        }
      }
      while (!line.empty() && line.back() == ' ') line.pop_back();
      out.push_back(line);
    }
    return out;
  }
  for (const auto& lines : split) {
    for (const std::string& line : lines) out.push_back(CutEnd(line, width));
  }
  return out;
}

}  // namespace terminal_layout
