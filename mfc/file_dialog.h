#ifndef TARNWICK_MFC_FILE_DIALOG_H_
#define TARNWICK_MFC_FILE_DIALOG_H_

#include <windows.h>

#include <commdlg.h>

#include <string>

#include "mfc/wnd.h"

// The common Open or Save As dialog. The texts given are GBK; the dialog
// runs through the wide API and the path chosen comes back wide, so any
// file name works whatever the system's code page.
class CFileDialog {
 public:
  // `lpszFilter` is written "description|pattern|..." (see FilterToNulForm).
  // Without a parent the dialog has no owner window.
  explicit CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt = nullptr,
                       const char* lpszFileName = nullptr,
                       DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       const char* lpszFilter = nullptr,
                       CWnd* pParentWnd = nullptr);
  CFileDialog(const CFileDialog&) = delete;
  CFileDialog& operator=(const CFileDialog&) = delete;

  // IDOK when the user chose a file, IDCANCEL otherwise.
  INT_PTR DoModal();

  // The full path chosen, exactly as the system gave it (wide text, any
  // characters). There is no GBK form: a path must reach the file calls
  // unchanged.
  std::wstring GetPathNameW() const { return m_szFileName; }

  OPENFILENAMEW m_ofn;

 private:
  BOOL m_bOpenFileDialog;
  std::wstring m_defExt;
  std::wstring m_filter;
  wchar_t m_szFileName[MAX_PATH * 2];
};

#endif  // TARNWICK_MFC_FILE_DIALOG_H_
