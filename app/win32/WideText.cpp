// UTF-8 to UTF-16 for the dialogs.
#include "app/win32/WideText.h"

#include <windows.h>

namespace {

constexpr UINT kProgramCodePage = CP_UTF8;

}  // namespace

std::wstring WidenText(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = static_cast<int>(text.size());
  const int wideLength = ::MultiByteToWideChar(kProgramCodePage, 0, text.data(), length, nullptr, 0);
  if (wideLength <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  ::MultiByteToWideChar(kProgramCodePage, 0, text.data(), length, wide.data(), wideLength);
  return wide;
}

std::wstring WidenEditText(const std::string& text) {
  const std::wstring wide = WidenText(text);
  std::wstring lines;
  lines.reserve(wide.size() + 8);
  for (std::size_t i = 0; i < wide.size(); ++i) {
    if (wide[i] == L'\n' && (i == 0 || wide[i - 1] != L'\r')) lines += L'\r';
    lines += wide[i];
  }
  return lines;
}
