#include "mfc/wnd.h"

#include <string>

#include "base/gbk.h"
#include "mfc/win_app.h"

CWnd::~CWnd() = default;

CWnd* CWnd::GetDlgItem(int nID) const {
  HWND child = ::GetDlgItem(m_hWnd, nID);
  if (child == nullptr) return nullptr;
  std::lock_guard<std::mutex> lock(m_childLock);
  std::unique_ptr<CWnd>& wrapper = m_children[child];
  if (!wrapper) {
    wrapper = std::make_unique<CWnd>();
    wrapper->m_hWnd = child;
  }
  return wrapper.get();
}

void CWnd::SetWindowText(const char* lpszString) {
  ::SetWindowTextW(m_hWnd, GbkToWide(lpszString).c_str());
}

void CWnd::SetDlgItemText(int nID, const char* lpszString) {
  ::SetDlgItemTextW(m_hWnd, nID, GbkToWide(lpszString).c_str());
}

void CWnd::GetWindowText(CString& rString) const {
  const int n = ::GetWindowTextLengthW(m_hWnd);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  const int got = ::GetWindowTextW(m_hWnd, &text[0], n + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  rString = WideToGbk(text);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

int CWnd::MessageBox(const char* lpszText, const char* lpszCaption,
                     UINT nType) {
  const char* caption = lpszCaption != nullptr ? lpszCaption : AfxGetAppName();
  return ::MessageBoxW(m_hWnd, GbkToWide(lpszText).c_str(),
                       GbkToWide(caption).c_str(), nType);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
  return reinterpret_cast<HICON>(
      SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                  reinterpret_cast<LPARAM>(hIcon)));
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse) {
  return ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
  return ::KillTimer(m_hWnd, nIDEvent);
}

BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }

void CWnd::GetClientRect(LPRECT lpRect) const {
  ::GetClientRect(m_hWnd, lpRect);
}

void CWnd::CenterWindow() {
  RECT window;
  ::GetWindowRect(m_hWnd, &window);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY),
                    &monitor);
  const RECT work = monitor.rcWork;
  RECT around = work;
  HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
  if (owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
    ::GetWindowRect(owner, &around);
  }
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  int x = (around.left + around.right - width) / 2;
  int y = (around.top + around.bottom - height) / 2;
  if (x + width > work.right) x = work.right - width;
  if (y + height > work.bottom) y = work.bottom - height;
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) {
  HMENU menu = ::GetSystemMenu(m_hWnd, bRevert);
  if (menu == nullptr) return nullptr;
  m_systemMenu.m_hMenu = menu;
  return &m_systemMenu;
}

void CWnd::SubclassWindow(HWND hWnd) {
  m_hWnd = hWnd;
  ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  m_pfnSuper = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
      hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::WndProc)));
}

LRESULT CWnd::Default() {
  if (m_pfnSuper == nullptr) {
    return ::DefWindowProcW(m_hWnd, m_currentMsg.message, m_currentMsg.wParam,
                            m_currentMsg.lParam);
  }
  return ::CallWindowProcW(m_pfnSuper, m_hWnd, m_currentMsg.message,
                           m_currentMsg.wParam, m_currentMsg.lParam);
}

void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }

void CWnd::OnPaint() { Default(); }

void CWnd::OnDestroy() { Default(); }

LRESULT CALLBACK CWnd::WndProc(HWND hWnd, UINT message, WPARAM wParam,
                               LPARAM lParam) {
  CWnd* wnd =
      reinterpret_cast<CWnd*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
  if (wnd == nullptr) return ::DefWindowProcW(hWnd, message, wParam, lParam);
  return wnd->WindowProc(message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // Handlers may send messages to this window again: keep the outer one.
  const MSG outer = m_currentMsg;
  m_currentMsg = MSG{m_hWnd, message, wParam, lParam, 0, {0, 0}};
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = Default();
  m_currentMsg = outer;
  if (message == WM_NCDESTROY) {
    // The window is gone: hand its procedure back and forget it.
    ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC,
                        reinterpret_cast<LONG_PTR>(m_pfnSuper));
    ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    m_pfnSuper = nullptr;
    m_hWnd = nullptr;
  }
  return result;
}
