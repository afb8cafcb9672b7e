#include "mfc/message_box.h"

#include "base/gbk.h"
#include "mfc/win_app.h"

int AfxMessageBox(const char* lpszText, UINT nType) {
  return AfxMessageBox(GbkToWide(lpszText).c_str(), nType);
}

int AfxMessageBox(const wchar_t* lpszText, UINT nType) {
  return ::MessageBoxW(::GetActiveWindow(), lpszText,
                       GbkToWide(AfxGetAppName()).c_str(), nType);
}
