// The Windows face: the flow's dialogs as Win32 dialog windows built from the
// program's resources (resources/tessel.rc).
#pragma once

#include <windows.h>

#include <memory>

#include "app/Face.h"

class CMainWindow;
class CWaitWindow;
class CProgressWindow;

class CWin32Face : public CFace {
 public:
  // Loads the program icon (resource 128).
  CWin32Face();
  ~CWin32Face() override;
  CWin32Face(const CWin32Face&) = delete;
  CWin32Face& operator=(const CWin32Face&) = delete;

  int RunMainDialog(CKestrelDlg& dialog) override;
  void InsertFontListColumn() override;
  void AddFontListRow(const std::string& path) override;
  void RedrawMainWindow() override;
  void HideMainWindow() override;

  int ShowMessageDialog(const CMessageBoxDialog& dialog) override;
  int ShowStartDialog(CStartDialog& dialog) override;
  int ShowAboutDialog() override;

  void CreateWaitWindow(CWaitDialog& dialog) override;
  void ShowWaitWindowIfHidden() override;
  void SetWaitLine(const std::string& line) override;
  void DestroyWaitWindow() override;

  void CreateProgressWindow(CProgressDialog& dialog) override;
  void ShowProgressWindowIfHidden() override;
  void SetProgress(const ProgressView& view) override;
  void DestroyProgressWindow() override;

  void PumpMessages() override;
  void Sleep(unsigned milliseconds) override;

 private:
  // The window a new dialog belongs to: the newest one open, else the main
  // dialog.
  HWND Owner() const;
  HWND MainWindow() const;
  // Enter and Esc pressed in the wait or progress window.
  bool IsSwallowedKey(const MSG& message) const;

  HICON m_bigIcon = nullptr;
  HICON m_smallIcon = nullptr;
  CMainWindow* m_main = nullptr;  // while RunMainDialog runs
  std::unique_ptr<CWaitWindow> m_wait;
  std::unique_ptr<CProgressWindow> m_progress;
};
