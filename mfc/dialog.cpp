#include "mfc/dialog.h"

#include "mfc/win_app.h"

namespace {

// Ends `window` when it is a dialog box (window class "#32770": message
// boxes, dialogs) that `owner` owns, directly or through another window.
BOOL CALLBACK EndOwnedDialogBox(HWND window, LPARAM owner) {
  wchar_t name[16] = {};
  ::GetClassNameW(window, name, 16);
  if (::lstrcmpW(name, L"#32770") != 0) return TRUE;
  for (HWND w = ::GetWindow(window, GW_OWNER); w != nullptr;
       w = ::GetWindow(w, GW_OWNER)) {
    if (w == reinterpret_cast<HWND>(owner)) {
      ::EndDialog(window, IDCANCEL);
      break;
    }
  }
  return TRUE;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, OnOK)
  ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

INT_PTR CDialog::DoModal() {
  HWND owner = nullptr;
  if (m_pParentWnd != nullptr) {
    owner = m_pParentWnd->GetSafeHwnd();
  } else if (CWnd* main = AfxGetMainWnd(); main != nullptr && main != this) {
    owner = main->GetSafeHwnd();
  }
  return ::DialogBoxParamW(AfxGetInstanceHandle(),
                           MAKEINTRESOURCEW(m_nIDTemplate), owner,
                           &CDialog::DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(int nResult) {
  // A modal box this dialog owns (a message box shown by one of its
  // handlers) runs its message loop inside the handler, inside this
  // dialog's loop, which can only return after it. Ended with this dialog,
  // as their Cancel button would, they return at once and so does DoModal.
  ::EnumThreadWindows(::GetWindowThreadProcessId(m_hWnd, nullptr),
                      EndOwnedDialogBox, reinterpret_cast<LPARAM>(m_hWnd));
  ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM,
                                     LPARAM lParam) {
  // Only the first call matters: from WM_INITDIALOG on, the dialog's
  // messages go through its message map (SubclassWindow), and everything
  // the map leaves comes back here on its way to the dialog manager's
  // default processing.
  if (message != WM_INITDIALOG) return FALSE;
  CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
  dialog->SubclassWindow(hWnd);
  RECT before;
  ::GetWindowRect(hWnd, &before);
  const BOOL result = dialog->OnInitDialog();
  // Like MFC: a dialog that OnInitDialog did not place is centred.
  RECT after;
  ::GetWindowRect(hWnd, &after);
  if (::EqualRect(&before, &after)) dialog->CenterWindow();
  return result;
}
