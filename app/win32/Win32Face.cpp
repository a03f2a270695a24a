// The Windows face: which window shows what, and the message pump that keeps
// the windows alive while the flow runs inside a handler.
#include "app/win32/Win32Face.h"

#include "app/win32/MainWindow.h"
#include "app/win32/ModalWindows.h"
#include "app/win32/ModelessWindows.h"
#include "resources/resource.h"

namespace {

HICON LoadProgramIcon(int widthMetric, int heightMetric) {
  return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                         ::GetSystemMetrics(widthMetric), ::GetSystemMetrics(heightMetric), 0));
}

bool IsInside(HWND window, HWND target) {
  return window != nullptr && target != nullptr && (target == window || ::IsChild(window, target));
}

}  // namespace

CWin32Face::CWin32Face()
    : m_bigIcon(LoadProgramIcon(SM_CXICON, SM_CYICON)), m_smallIcon(LoadProgramIcon(SM_CXSMICON, SM_CYSMICON)) {}

CWin32Face::~CWin32Face() {
  DestroyProgressWindow();
  DestroyWaitWindow();
  if (m_smallIcon != nullptr) ::DestroyIcon(m_smallIcon);
  if (m_bigIcon != nullptr) ::DestroyIcon(m_bigIcon);
}

int CWin32Face::RunMainDialog(CKestrelDlg& dialog) {
  CMainWindow window(dialog, m_bigIcon, m_smallIcon);
  m_main = &window;
  const int result = window.Run();
  m_main = nullptr;
  return result;
}

void CWin32Face::InsertFontListColumn() {
  if (m_main != nullptr) m_main->InsertFontListColumn();
}

void CWin32Face::AddFontListRow(const std::string& path) {
  if (m_main != nullptr) m_main->AddFontListRow(path);
}

void CWin32Face::RedrawMainWindow() {
  if (m_main != nullptr) m_main->Redraw();
}

void CWin32Face::HideMainWindow() {
  if (m_main != nullptr) m_main->Hide();
}

int CWin32Face::ShowMessageDialog(const CMessageBoxDialog& dialog) {
  CMessageWindow window(dialog);
  return window.Show(Owner());
}

int CWin32Face::ShowStartDialog(CStartDialog& dialog) {
  CStartWindow window(dialog);
  return window.Show(Owner());
}

int CWin32Face::ShowAboutDialog() {
  CAboutWindow window;
  return window.Show(Owner());
}

void CWin32Face::CreateWaitWindow(CWaitDialog& dialog) {
  m_wait = std::make_unique<CWaitWindow>(dialog);
  m_wait->Open(MainWindow());
}

void CWin32Face::ShowWaitWindowIfHidden() {
  if (m_wait != nullptr) ShowIfHidden(m_wait->Window());
}

void CWin32Face::SetWaitLine(const std::string& line) {
  if (m_wait != nullptr) m_wait->SetLine(line);
}

void CWin32Face::DestroyWaitWindow() {
  if (m_wait != nullptr) m_wait->DestroyModeless();
  m_wait.reset();
}

void CWin32Face::CreateProgressWindow(CProgressDialog& dialog) {
  m_progress = std::make_unique<CProgressWindow>(dialog);
  m_progress->Open(MainWindow());
}

void CWin32Face::ShowProgressWindowIfHidden() {
  if (m_progress != nullptr) ShowIfHidden(m_progress->Window());
}

void CWin32Face::SetProgress(const ProgressView& view) {
  if (m_progress != nullptr) m_progress->Show(view);
}

void CWin32Face::DestroyProgressWindow() {
  if (m_progress != nullptr) m_progress->DestroyModeless();
  m_progress.reset();
}

void CWin32Face::PumpMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (IsSwallowedKey(message)) continue;
    // The modeless windows get the dialog keys (Tab, Space, mnemonics).
    if (m_progress != nullptr && m_progress->Window() != nullptr &&
        ::IsDialogMessageW(m_progress->Window(), &message)) {
      continue;
    }
    if (m_wait != nullptr && m_wait->Window() != nullptr && ::IsDialogMessageW(m_wait->Window(), &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

void CWin32Face::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

HWND CWin32Face::Owner() const {
  const HWND newest = CDialogWindow::NewestWindow();
  return newest != nullptr ? newest : MainWindow();
}

HWND CWin32Face::MainWindow() const { return m_main != nullptr ? m_main->Window() : nullptr; }

bool CWin32Face::IsSwallowedKey(const MSG& message) const {
  if (message.message != WM_KEYDOWN || (message.wParam != VK_RETURN && message.wParam != VK_ESCAPE)) return false;
  return (m_wait != nullptr && IsInside(m_wait->Window(), message.hwnd)) ||
         (m_progress != nullptr && IsInside(m_progress->Window(), message.hwnd));
}
