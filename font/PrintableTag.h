// A table tag as four printable characters ('?' for any other byte), so that
// a message or one line of output stays one line whatever the file holds.
#pragma once

#include <cstdint>
#include <string>

inline std::string PrintableTag(const std::uint8_t* tag) {
  std::string text(4, '?');
  for (int i = 0; i < 4; ++i) {
    if (tag[i] >= 0x20 && tag[i] < 0x7F) text[i] = static_cast<char>(tag[i]);
  }
  return text;
}
