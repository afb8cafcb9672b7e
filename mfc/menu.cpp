#include "mfc/menu.h"

#include "base/gbk.h"

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem,
                       const char* lpszNewItem) {
  if ((nFlags & MF_SEPARATOR) != 0 || lpszNewItem == nullptr) {
    return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, nullptr);
  }
  return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem,
                       GbkToWide(lpszNewItem).c_str());
}
