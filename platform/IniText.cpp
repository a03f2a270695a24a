// An INI reader that gives the update list the answers of
// GetPrivateProfileStringA and GetPrivateProfileIntA on a Japanese Windows
// (code page 932), as Wine's implementation of them gives them:
// - lines end at CR, LF or both; blanks (space, tab, CR, LF, VT, FF and the
//   DOS end-of-file byte 0x1A) around lines, names and values are removed;
//   nothing else counts as blank, not even the ideographic space;
// - a section header is '[' up to the last ']' of the line, its name trimmed;
//   a line starting with '[' without ']' is an ordinary line;
// - section and key names are compared without regard to ASCII case;
//   double-byte characters are compared exactly;
// - only the first section of a name is searched, and in it the first key of
//   a name wins; keys before the first header form a section named "";
// - a key line without '=' has no value: the default is returned; "KEY="
//   has the empty value;
// - one pair of matching quotes (' or ") around a value, or the default, is
//   removed, the default loses its trailing spaces, a value ends at a zero
//   byte, and the result is cut to bufferSize - 1 characters and then to
//   bufferSize - 1 bytes, never in the middle of a double-byte character;
// - integers are read from at most 29 characters of the value as
//   RtlUnicodeStringToInteger reads them: leading control characters and
//   spaces skipped, an optional sign, the prefixes 0x, 0o and 0b, digits up
//   to the first other character, wrapping at 32 bits; an empty or missing
//   value gives the default.
// The bytes of names and values are never converted: Shift-JIS in, Shift-JIS
// out. The text is parsed once into a table of sections and keys by their
// folded names, so that each answer is one look-up.
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/Ini.h"

namespace platform {
namespace {

bool IsBlank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A; }

bool IsLead932(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

bool IsTrail932(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Bytes of the character that starts at `i`: 2 for a lead byte followed by a
// trail byte, 1 otherwise.
std::size_t CharLength(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
  return (IsLead932(byte(i)) && i + 1 < text.size() && IsTrail932(byte(i + 1))) ? 2 : 1;
}

// No blank byte is ever the trail byte of a double-byte character (those are
// 0x40 or more), so trimming byte by byte cannot split a character.
std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && IsBlank(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// The name with its single-byte letters in upper case and its double-byte
// characters as they are: two names are the same name when their folded
// forms are equal. (A byte that is a lead byte in one name and not in the
// other is no letter, and the byte after it then differs or is no trail
// byte in either, so folding each name on its own agrees with comparing
// them character by character.)
std::string Fold(std::string_view name) {
  std::string folded(name);
  for (std::size_t i = 0; i < folded.size();) {
    const std::size_t length = CharLength(folded, i);
    if (length == 1 && folded[i] >= 'a' && folded[i] <= 'z') folded[i] = static_cast<char>(folded[i] - 'a' + 'A');
    i += length;
  }
  return folded;
}

// What the system copies out of a value (or a default) into a buffer of
// `bufferSize`: one pair of surrounding quotes removed and the text cut to
// bufferSize - 1 characters. The quote rule keeps Wine's arithmetic exactly,
// including its dropping of a last character when the quoted text fills the
// buffer to the byte.
std::string CopyEntry(std::string_view value, std::size_t bufferSize) {
  const std::size_t zero = value.find('\0');
  if (zero != std::string_view::npos) value = value.substr(0, zero);
  std::vector<std::size_t> starts;  // byte offset of each character
  for (std::size_t i = 0; i < value.size(); i += CharLength(value, i)) starts.push_back(i);

  bool quoted = false;
  if (starts.size() >= 2 && (value.front() == '"' || value.front() == '\'') && starts.back() == value.size() - 1 &&
      value.back() == value.front()) {
    quoted = true;
    value.remove_prefix(1);
    starts.erase(starts.begin());
    for (std::size_t& start : starts) --start;
  }
  const std::size_t characters = starts.size();
  std::size_t copied = characters < bufferSize - 1 ? characters : bufferSize - 1;
  if (quoted && bufferSize >= characters && copied > 0) --copied;
  const std::size_t bytes = copied < characters ? starts[copied] : value.size();
  return std::string(value.substr(0, bytes));
}

// The text cut to at most `limit` bytes at a character boundary.
std::string CutToBytes(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t next = end + CharLength(text, end);
    if (next > limit) break;
    end = next;
  }
  return text.substr(0, end);
}

// The integer of a value as the system reads it.
int IntegerOf(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::uint32_t base = 10;
  if (i + 1 < text.size() && text[i] == '0') {
    if (text[i + 1] == 'x') base = 16;
    if (text[i + 1] == 'o') base = 8;
    if (text[i + 1] == 'b') base = 2;
    if (base != 10) i += 2;
  }
  std::uint32_t total = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    std::uint32_t digit = 36;
    if (c >= '0' && c <= '9') digit = static_cast<std::uint32_t>(c - '0');
    if (c >= 'A' && c <= 'Z') digit = static_cast<std::uint32_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'z') digit = static_cast<std::uint32_t>(c - 'a' + 10);
    if (digit >= base) break;
    total = total * base + digit;  // unsigned: wraps at 32 bits as the system's does
  }
  if (negative) total = 0u - total;
  return static_cast<int>(total);
}

}  // namespace

IniText::IniText(std::string_view bytes) { Parse(bytes); }

bool IniText::Load(const std::string& path) {
  Clear();
  std::string bytes;
  if (!detail::ReadIniBytes(path, bytes)) return false;
  Parse(bytes);
  return true;
}

void IniText::Clear() { m_sections.clear(); }

void IniText::Parse(std::string_view text) {
  static constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  if (text.substr(0, kUtf8Mark.size()) == kUtf8Mark) text.remove_prefix(kUtf8Mark.size());
  // The lines before any header are the section "", and a later header of
  // that name (or of any name already met) opens a section nobody reads.
  Section* current = &m_sections[std::string()];
  std::size_t position = 0;
  while (position < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", position);
    const std::size_t lineEnd = end == std::string_view::npos ? text.size() : end;
    const std::string_view line = Trim(text.substr(position, lineEnd - position));
    position = lineEnd;
    while (position < text.size() && (text[position] == '\r' || text[position] == '\n')) ++position;
    if (line.empty()) continue;

    if (line.front() == '[') {
      std::size_t closing = std::string_view::npos;
      for (std::size_t i = 0; i < line.size(); i += CharLength(line, i)) {
        if (line[i] == ']') closing = i;
      }
      if (closing != std::string_view::npos) {
        const auto [at, added] = m_sections.try_emplace(Fold(Trim(line.substr(1, closing - 1))));
        current = added ? &at->second : nullptr;
        continue;
      }
    }
    if (current == nullptr) continue;
    const std::size_t equals = line.find('=');  // 0x3D is never a trail byte
    Key key;
    key.name = std::string(Trim(line.substr(0, equals)));
    key.hasValue = equals != std::string_view::npos;
    if (key.hasValue) key.value = std::string(Trim(line.substr(equals + 1)));
    const auto [at, added] = current->byName.try_emplace(Fold(key.name), current->keys.size());
    (void)at;
    // A later key of a name is only listed among the key names.
    if (!added) key.value.clear();
    current->keys.push_back(std::move(key));
  }
}

const IniText::Key* IniText::Find(const char* section, const char* key) const {
  const auto foundSection = m_sections.find(Fold(Trim(section)));
  if (foundSection == m_sections.end()) return nullptr;
  const Section& keys = foundSection->second;
  const auto foundKey = keys.byName.find(Fold(Trim(key)));
  if (foundKey == keys.byName.end()) return nullptr;
  const Key& found = keys.keys[foundKey->second];
  return found.hasValue ? &found : nullptr;
}

std::string IniText::String(const char* section, const char* key, const char* defaultValue,
                            std::size_t bufferSize) const {
  if (bufferSize == 0 || section == nullptr || key == nullptr || *key == '\0') return std::string();
  std::string entry;
  if (const Key* found = Find(section, key)) {
    entry = CopyEntry(found->value, bufferSize);
  } else {
    std::string_view fallback = defaultValue != nullptr ? defaultValue : "";
    while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
    entry = CopyEntry(fallback, bufferSize);
  }
  return CutToBytes(entry, bufferSize - 1);
}

int IniText::Int(const char* section, const char* key, int defaultValue) const {
  // The system reads the value into a buffer of 30 characters first.
  if (section == nullptr || key == nullptr || *key == '\0') return defaultValue;
  const Key* found = Find(section, key);
  if (found == nullptr) return defaultValue;
  const std::string text = CopyEntry(found->value, 30);
  return text.empty() ? defaultValue : IntegerOf(text);
}

std::vector<std::string> IniText::KeyNames(const char* section) const {
  std::vector<std::string> names;
  if (section == nullptr) return names;
  const auto found = m_sections.find(Fold(Trim(section)));
  if (found == m_sections.end()) return names;
  for (const Key& key : found->second.keys) {
    if (!key.name.empty()) names.push_back(key.name);
  }
  return names;
}

}  // namespace platform
