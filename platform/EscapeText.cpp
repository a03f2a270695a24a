// Text from outside the program made safe to show on a terminal.
#include "platform/Text.h"

namespace platform {
namespace {

// The length of the UTF-8 sequence that starts at `at`, or 0 when the bytes
// there are no well-formed character (overlong forms and surrogates
// included).
std::size_t SequenceLength(const std::string& text, std::size_t at) {
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (length > text.size() - at) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[at + i]);
    if (c < (i == 1 ? low : 0x80) || c > (i == 1 ? high : 0xBF)) return 0;
  }
  return length;
}

// The embeddings and overrides U+202A to U+202E (E2 80 AA to AE) and the
// isolates U+2066 to U+2069 (E2 81 A6 to A9): a right-to-left override in a
// folder name would show the rest of its row, and what follows, reversed.
bool IsBidirectionalControl(const std::string& text, std::size_t at, std::size_t length) {
  if (length != 3 || static_cast<unsigned char>(text[at]) != 0xE2) return false;
  const unsigned char second = static_cast<unsigned char>(text[at + 1]);
  const unsigned char third = static_cast<unsigned char>(text[at + 2]);
  return (second == 0x80 && third >= 0xAA && third <= 0xAE) || (second == 0x81 && third >= 0xA6 && third <= 0xA9);
}

}  // namespace

std::string EscapeForTerminal(const std::string& text, bool keepLineEnds) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (keepLineEnds && c == '\r' && at + 1 < text.size() && text[at + 1] == '\n') {
      ++at;
      continue;
    }
    const std::size_t length = SequenceLength(text, at);
    // C0 controls, DEL, and the C1 controls U+0080 to U+009F (0xC2 0x80 to
    // 0xC2 0x9F), which some terminals obey as escape sequences.
    const bool c1 = length == 2 && c == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0;
    const bool control = length == 0 || c1 || IsBidirectionalControl(text, at, length) ||
                         (length == 1 && (c < 0x20 || c == 0x7F) && !(keepLineEnds && c == '\n'));
    if (!control) {
      out.append(text, at, length);
      at += length;
      continue;
    }
    const std::size_t shown = length == 0 ? 1 : length;
    for (std::size_t i = 0; i < shown; ++i) {
      const unsigned char b = static_cast<unsigned char>(text[at + i]);
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
    }
    at += shown;
  }
  return out;
}

}  // namespace platform
