// Small owners of Win32 handles, so that early returns close what they opened.
#pragma once

#include <windows.h>

namespace platform::win32 {

// A handle closed with CloseHandle; `invalid` is what the opening call
// returns on failure (INVALID_HANDLE_VALUE for files, nullptr for most others).
class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : m_handle(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  HANDLE Get() const { return m_handle; }
  bool IsValid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
  HANDLE* Receive() {
    Close();
    return &m_handle;
  }
  bool Close() {
    const HANDLE handle = m_handle;
    m_handle = nullptr;
    return !(handle != nullptr && handle != INVALID_HANDLE_VALUE) || ::CloseHandle(handle) != 0;
  }

 private:
  HANDLE m_handle = nullptr;
};

}  // namespace platform::win32
