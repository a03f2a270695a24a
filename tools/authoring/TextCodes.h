// Converting text between the encodings the tools meet: UTF-8 (the tools'
// own text), code page 932 (the update list), UTF-16BE and the Macintosh
// encodings (name records). Done by the C library's iconv.
#pragma once

#include <string>
#include <string_view>

namespace authoring {

// Converts `input` from the iconv encoding `from` to `to`. False when the
// input is not valid in `from` or a character has no form in `to`.
bool ConvertText(const char* from, const char* to, std::string_view input, std::string& output);

inline bool EncodeCp932(std::string_view utf8, std::string& cp932) {
  return ConvertText("UTF-8", "CP932", utf8, cp932);
}
inline bool DecodeCp932(std::string_view cp932, std::string& utf8) {
  return ConvertText("CP932", "UTF-8", cp932, utf8);
}

}  // namespace authoring
