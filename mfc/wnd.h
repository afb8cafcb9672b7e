#ifndef TARNWICK_MFC_WND_H_
#define TARNWICK_MFC_WND_H_

#include <windows.h>

#include <map>
#include <memory>
#include <mutex>

#include "mfc/cstring.h"
#include "mfc/menu.h"
#include "mfc/message_map.h"

// A window. Texts are GBK and go to the window through the wide API.
// A window whose procedure has been taken over (SubclassWindow) gets its
// messages through the message map; those no handler takes, and those a
// handler passes on with Default, go to its original procedure.
class CWnd : public CCmdTarget {
 public:
  CWnd() = default;
  ~CWnd() override;

  HWND m_hWnd = nullptr;

  HWND GetSafeHwnd() const { return m_hWnd; }

  // The first child with identifier `nID`, as a CWnd that lives as long as
  // this object; null when there is none. -1 finds the first control
  // without an identifier of its own.
  CWnd* GetDlgItem(int nID) const;

  // Replace the text of this window or of its child `nID`.
  void SetWindowText(const char* lpszString);
  void SetDlgItemText(int nID, const char* lpszString);
  void GetWindowText(CString& rString) const;

  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  // Shows a modal message box owned by this window, with the GBK text
  // `lpszText` and caption `lpszCaption` (null: the application's name),
  // and waits for it to close; returns the button chosen.
  int MessageBox(const char* lpszText, const char* lpszCaption = nullptr,
                 UINT nType = MB_OK);
  HICON SetIcon(HICON hIcon, BOOL bBigIcon);

  // Starts (or restarts) timer `nIDEvent`: WM_TIMER every `nElapse` ms
  // until KillTimer or the window's end. Returns 0 on failure.
  UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse);
  BOOL KillTimer(UINT_PTR nIDEvent);
  BOOL IsIconic() const;
  void GetClientRect(LPRECT lpRect) const;

  // Moves the window to the middle of its owner, or of the screen's work
  // area when it has no visible owner, keeping it inside the work area.
  void CenterWindow();

  // The system menu, or null when the window has none. With bRevert FALSE
  // the menu can be changed through the pointer until the next call.
  CMenu* GetSystemMenu(BOOL bRevert);

 protected:
  // Routes hWnd's messages through this object's message map from now on.
  void SubclassWindow(HWND hWnd);

  // Gives the message being handled to the window's original procedure
  // and returns its result.
  LRESULT Default();

  // Default processing, for handlers that pass the message on.
  afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
  afx_msg void OnPaint();
  afx_msg void OnDestroy();

 private:
  static LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam,
                                  LPARAM lParam);
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  WNDPROC m_pfnSuper = nullptr;
  MSG m_currentMsg = {};
  CMenu m_systemMenu;
  // Children are looked up from worker threads too.
  mutable std::mutex m_childLock;
  mutable std::map<HWND, std::unique_ptr<CWnd>> m_children;
};

#endif  // TARNWICK_MFC_WND_H_
