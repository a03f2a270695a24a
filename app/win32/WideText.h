// The program's narrow texts for the wide Win32 functions. On Windows every
// text the program holds is code page 932, whatever the system's code page,
// so the dialogs show Japanese on any Windows.
#pragma once

#include <string>

// `text` (code page 932) as UTF-16.
std::wstring WidenText(const std::string& text);

// The same for a multi-line edit control, which breaks lines only at
// "\r\n": a lone "\n" becomes "\r\n".
std::wstring WidenEditText(const std::string& text);
