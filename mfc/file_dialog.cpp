#include "mfc/file_dialog.h"

#include <cwchar>

#include "base/gbk.h"
#include "mfc/file_filter.h"

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt,
                         const char* lpszFileName, DWORD dwFlags,
                         const char* lpszFilter, CWnd* pParentWnd)
    : m_ofn(), m_bOpenFileDialog(bOpenFileDialog), m_szFileName() {
  m_ofn.lStructSize = sizeof m_ofn;
  m_ofn.hwndOwner = pParentWnd != nullptr ? pParentWnd->GetSafeHwnd() : nullptr;
  m_ofn.Flags = dwFlags | OFN_EXPLORER;
  if (lpszDefExt != nullptr) {
    m_defExt = GbkToWide(lpszDefExt);
    m_ofn.lpstrDefExt = m_defExt.c_str();
  }
  if (lpszFileName != nullptr) {
    const std::wstring name = GbkToWide(lpszFileName);
    std::wcsncpy(m_szFileName, name.c_str(), MAX_PATH * 2 - 1);
  }
  m_ofn.lpstrFile = m_szFileName;
  m_ofn.nMaxFile = MAX_PATH * 2;
  if (lpszFilter != nullptr && lpszFilter[0] != '\0') {
    // Converted with its NULs: each one stays a separator.
    m_filter = GbkToWide(FilterToNulForm(lpszFilter));
    m_ofn.lpstrFilter = m_filter.c_str();
  }
}

INT_PTR CFileDialog::DoModal() {
  const BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameW(&m_ofn)
                                        : ::GetSaveFileNameW(&m_ofn);
  return chosen ? IDOK : IDCANCEL;
}
