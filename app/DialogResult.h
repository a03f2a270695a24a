// What a dialog returns: the identifier of the button that closed it.
#pragma once

constexpr int kIdOk = 1;      // IDOK
constexpr int kIdCancel = 2;  // IDCANCEL
