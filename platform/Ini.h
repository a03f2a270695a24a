// Reading the update list's INI file with the results of
// GetPrivateProfileStringA and GetPrivateProfileIntA: section and key names
// compared without regard to case, blanks around values removed, values cut
// to the caller's buffer size, CP932 bytes returned unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

// An INI file read once and kept in memory: every answer is the one the
// functions below give for the file as it was read (the rules are written
// out in IniText.cpp). The update list asks about two keys a font, and the
// system's functions (Wine's among them) may parse the whole file again at
// each call: a list of thousands of keys is then read in quadratic time.
class IniText {
 public:
  IniText() = default;
  // The text of a file's bytes.
  explicit IniText(std::string_view bytes);

  // Reads the file at `path` once, in place of what was held. False (and
  // nothing held: every answer is the default) when it cannot be read.
  bool Load(const std::string& path);
  void Clear();

  // As ReadProfileString and ReadProfileInt on the file as it was read.
  std::string String(const char* section, const char* key, const char* defaultValue, std::size_t bufferSize) const;
  int Int(const char* section, const char* key, int defaultValue) const;
  // As ReadProfileKeyNames.
  std::vector<std::string> KeyNames(const char* section) const;

 private:
  struct Key {
    std::string name;  // as written, trimmed
    std::string value;
    bool hasValue = false;  // false for a line without '='
  };
  struct Section {
    std::vector<Key> keys;                                // in the order of the file
    std::unordered_map<std::string, std::size_t> byName;  // folded name: the first key of the name
  };
  void Parse(std::string_view text);
  // The value of the first key `key` of the first section `section`, or null.
  const Key* Find(const char* section, const char* key) const;

  std::unordered_map<std::string, Section> m_sections;  // folded name: the first section of the name
};

// The value of `key` in `section`, or `defaultValue` when missing, cut to
// bufferSize - 1 bytes as the Windows function cuts it.
std::string ReadProfileString(const std::string& iniPath, const char* section, const char* key,
                              const char* defaultValue, std::size_t bufferSize);

// The integer value of `key` in `section`, or `defaultValue` when missing.
int ReadProfileInt(const std::string& iniPath, const char* section, const char* key, int defaultValue);

// The names of the keys of `section`, in the order of the file; empty when
// the file or the section is missing.
std::vector<std::string> ReadProfileKeyNames(const std::string& iniPath, const char* section);

namespace detail {
// The bytes of the file at `path` (on Linux reached as the temporary folder's
// files are reached); false when it cannot be read.
bool ReadIniBytes(const std::string& path, std::string& bytes);
}  // namespace detail

}  // namespace platform
