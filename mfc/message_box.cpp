#include "mfc/message_box.h"

#include "base/gbk.h"
#include "mfc/win_app.h"

int AfxMessageBox(const char* lpszText, UINT nType) {
  return ::MessageBoxW(::GetActiveWindow(), GbkToWide(lpszText).c_str(),
                       GbkToWide(AfxGetAppName()).c_str(), nType);
}
