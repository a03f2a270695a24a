// Code page 932 and the ANSI code page to UTF-8 through UTF-16.
#include "platform/Text.h"

#include <windows.h>

#include <vector>

namespace platform {

namespace {

// `text` in `codePage`, as UTF-8; bytes that are no character of it become
// U+FFFD.
std::string ToUtf8(UINT codePage, const std::string& text) {
  if (text.empty()) return text;
  const int wide = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (wide <= 0) return "\xEF\xBF\xBD";
  std::vector<wchar_t> utf16(static_cast<std::size_t>(wide));
  ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), utf16.data(), wide);
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return "\xEF\xBF\xBD";
  std::string out(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, out.data(), bytes, nullptr, nullptr);
  return out;
}

}  // namespace

std::string Cp932ToUtf8(const std::string& text) { return ToUtf8(932, text); }

std::string Cp932ToProgramText(const std::string& text) { return ToUtf8(932, text); }

std::string PathToProgramText(const std::string& path) { return ToUtf8(CP_ACP, path); }

}  // namespace platform

#include <io.h>
#include <stdio.h>

namespace platform {

bool StandardOutputIsTerminal() { return ::_isatty(::_fileno(stdout)) != 0; }

}  // namespace platform
