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
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      Close();
      m_handle = other.m_handle;
      other.m_handle = nullptr;
    }
    return *this;
  }

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

// A search handle of FindFirstFile, closed with FindClose.
class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : m_handle(handle) {}
  ~FindHandle() {
    if (IsValid()) ::FindClose(m_handle);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;

  HANDLE Get() const { return m_handle; }
  bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE; }

 private:
  HANDLE m_handle;
};

}  // namespace platform::win32
