// The family and style names of a font, read from its name table for the
// start dialog's font lines.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace authoring {

struct FamilyName {
  std::string family;  // UTF-8: the typographic family (name 16), else the family (name 1)
  std::string style;   // UTF-8: the typographic subfamily (name 17), else the subfamily (name 2)
};

// Reads the names from `nameTable` (the table's bytes). Japanese names are
// preferred when the font has them in a form code page 932 holds, then
// English, then any Windows or Macintosh Roman name. False when the table
// has no usable family name.
bool ReadFamilyName(std::span<const std::uint8_t> nameTable, FamilyName& name);

// The full name (name 4) of `nameTable`, UTF-8, chosen as ReadFamilyName
// chooses; empty when it has none.
std::string ReadFullName(std::span<const std::uint8_t> nameTable);

// The start dialog's lines: one per family, in the order the families first
// appear, "・" and the family with its styles ("・Noto Sans CJK JP Regular/Bold"),
// or with the number of its styles when they are many or the line would be
// longer than the updater reads ("・Noto Sans CJK JP（全7書体）").
std::vector<std::string> BuildFontLines(const std::vector<FamilyName>& fonts);

}  // namespace authoring
