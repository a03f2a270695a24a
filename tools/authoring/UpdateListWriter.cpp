// The update list's INI text.
#include "tools/authoring/UpdateListWriter.h"

#include "tools/authoring/TextCodes.h"

namespace authoring {
namespace {

constexpr std::size_t kValueLimit = 254;     // the reader's buffers hold 254 bytes and a zero
constexpr std::size_t kTitleLimit = 1023;    // "MAIN_TEXTTITLE" is read into 1,024 bytes
constexpr std::size_t kFileNameLimit = 255;  // the entry's "%s.otf" is formed in 256 bytes
constexpr const char* kInstalledExtension = ".otf";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The value in code page 932, when it reads back from the INI file as it
// was written: the profile reader drops blanks and a pair of quotes around a
// value and ends it at a line break.
bool IniValue(const std::string& utf8, std::size_t limit, const std::string& what, std::string& value,
              std::string& error) {
  if (utf8.empty()) {
    error = what + " is empty";
    return false;
  }
  if (utf8.find_first_of(std::string("\r\n\0", 3)) != std::string::npos || IsBlank(utf8.front()) ||
      IsBlank(utf8.back()) || (utf8.front() == '"' || utf8.front() == '\'')) {
    error = what + " \"" + utf8 + "\" would not read back from the update list as written";
    return false;
  }
  if (!EncodeCp932(utf8, value)) {
    error = what + " \"" + utf8 + "\" has characters that code page 932 cannot hold";
    return false;
  }
  if (value.size() > limit) {
    error = what + " \"" + utf8 + "\" is " + std::to_string(value.size()) + " bytes in code page 932; at most " +
            std::to_string(limit) + " are read";
    return false;
  }
  return true;
}

void Line(std::string& text, const std::string& line) {
  text += line;
  text += "\r\n";
}

}  // namespace

bool WriteUpdateList(const UpdateListContent& content, std::string& iniText, std::string& error) {
  iniText.clear();
  if (content.entries.empty()) {
    error = "the update list has no fonts";
    return false;
  }
  std::string text;
  Line(text, "[UPDATE_FONT]");
  Line(text, "MAXNUM=" + std::to_string(content.entries.size()));
  for (std::size_t i = 0; i < content.entries.size(); ++i) {
    const ListedFont& entry = content.entries[i];
    const std::string& name = entry.installedFileName;
    const std::size_t extension = std::string(kInstalledExtension).size();
    if (name.size() <= extension || name.compare(name.size() - extension, extension, kInstalledExtension) != 0 ||
        name.find_first_of("/\\:") != std::string::npos) {
      error = "the installed file name \"" + name +
              "\" must be a file name ending in \".otf\" (the updater looks "
              "only for that extension)";
      return false;
    }
    std::string patchFile;
    if (!IniValue(name.substr(0, name.size() - extension) + ".pa", kValueLimit, "the patch file name", patchFile,
                  error)) {
      return false;
    }
    std::string installed;
    if (!EncodeCp932(name, installed) || installed.size() > kFileNameLimit) {
      error = "the installed file name \"" + name + "\" is longer than the updater reads";
      return false;
    }
    if (entry.resourceNumber <= 0 || entry.resourceNumber > 65535) {
      error = "patch number " + std::to_string(entry.resourceNumber) + " is not a resource number (1 to 65535)";
      return false;
    }
    const std::string n = std::to_string(i + 1);
    Line(text, "FONT_PAFILE" + n + "=" + patchFile);
    Line(text, "FONT_RESNUM" + n + "=" + std::to_string(entry.resourceNumber));
  }
  Line(text, "");
  Line(text, "[UPDATE_STARTDLG_STRING]");
  std::string title;
  if (!IniValue(content.title, kTitleLimit, "the start dialog title", title, error)) return false;
  Line(text, "MAIN_TEXTTITLE=" + title);
  Line(text, "MAXNUM=" + std::to_string(content.lines.size()));
  for (std::size_t i = 0; i < content.lines.size(); ++i) {
    std::string line;
    if (!IniValue(content.lines[i], kValueLimit, "the start dialog line", line, error)) return false;
    Line(text, "FONT_TEXTTITLE" + std::to_string(i + 1) + "=" + line);
  }
  iniText = std::move(text);
  return true;
}

}  // namespace authoring
