// The program's narrow texts (UTF-8) for the wide Win32 functions, so that
// the dialogs show Japanese, and paths in any code page, on any Windows.
#pragma once

#include <string>

// `text` (UTF-8) as UTF-16.
std::wstring WidenText(const std::string& text);

// The same for a multi-line edit control, which breaks lines only at
// "\r\n": a lone "\n" becomes "\r\n".
std::wstring WidenEditText(const std::string& text);
