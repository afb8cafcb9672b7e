#include "mfc/dialog.h"

#include "mfc/win_app.h"

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

void CDialog::EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

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
