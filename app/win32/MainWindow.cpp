// The main dialog's window: what Windows asks of it, passed to the flow.
#include "app/win32/MainWindow.h"

#include <commctrl.h>

#include "app/KestrelDlg.h"
#include "app/StringTable.h"
#include "app/win32/WideText.h"
#include "resources/resource.h"
#include "resources/texts.h"

namespace {

constexpr int kFontColumnWidth = 600;  // pixels
constexpr int kMenuTextLength = 256;

}  // namespace

CMainWindow::CMainWindow(CKestrelDlg& dialog, HICON bigIcon, HICON smallIcon)
    : m_dialog(dialog), m_bigIcon(bigIcon), m_smallIcon(smallIcon) {}

int CMainWindow::Run() { return static_cast<int>(DoModal(IDD_KESTREL_DIALOG, nullptr)); }

void CMainWindow::InsertFontListColumn() {
  const HWND list = ::GetDlgItem(Window(), IDC_FONT_LIST);
  if (list == nullptr) return;
  std::wstring title = WidenText(TEXT_FONT_COLUMN);
  LVCOLUMNW column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = kFontColumnWidth;
  column.pszText = title.data();
  column.iSubItem = 0;
  ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

void CMainWindow::AddFontListRow(const std::string& path) {
  const HWND list = ::GetDlgItem(Window(), IDC_FONT_LIST);
  if (list == nullptr) return;
  std::wstring text = WidenText(path);
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  item.pszText = text.data();
  ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void CMainWindow::Redraw() {
  if (Window() != nullptr) ::InvalidateRect(Window(), nullptr, TRUE);
}

void CMainWindow::Hide() {
  if (Window() != nullptr) ::ShowWindow(Window(), SW_HIDE);
}

INT_PTR CMainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;
    case WM_COMMAND:
      if (IsClick(wParam, IDOK)) {
        m_dialog.OnExecute();
        EndIfEnded();
        return TRUE;
      }
      if (IsClick(wParam, IDCANCEL)) {
        // 中止, Esc and the close box.
        m_dialog.OnAbort();
        EndIfEnded();
        return TRUE;
      }
      return FALSE;
    case WM_SYSCOMMAND:
      return m_dialog.OnSysCommand(static_cast<unsigned>(wParam)) ? TRUE : FALSE;
    case WM_PAINT:
      return PaintMinimised() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(m_bigIcon);
    default:
      return FALSE;
  }
}

void CMainWindow::OnInitDialog() {
  AppendAboutItem();
  ::SendMessageW(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon));
  ::SendMessageW(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
  // The whole run before the font list: it may end the dialog here, and the
  // window is then never shown.
  m_dialog.OnInitDialog();
  EndIfEnded();
}

void CMainWindow::AppendAboutItem() {
  const HMENU menu = ::GetSystemMenu(Window(), FALSE);
  if (menu == nullptr) return;
  wchar_t text[kMenuTextLength] = {};
  if (::LoadStringW(::GetModuleHandleW(nullptr), string_id::kAboutMenu, text, kMenuTextLength) <= 0) return;
  ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, text);
}

void CMainWindow::EndIfEnded() {
  if (m_dialog.Ended()) ::EndDialog(Window(), m_dialog.Result());
}

bool CMainWindow::PaintMinimised() {
  if (!::IsIconic(Window())) return false;
  PAINTSTRUCT paint;
  const HDC dc = ::BeginPaint(Window(), &paint);
  ::SendMessageW(Window(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  ::GetClientRect(Window(), &client);
  const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc, x, y, m_bigIcon);
  ::EndPaint(Window(), &paint);
  return true;
}
