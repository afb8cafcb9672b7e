#ifndef TARNWICK_MFC_MENU_H_
#define TARNWICK_MFC_MENU_H_

#include <windows.h>

// A menu the program adds items to (the dialog's system menu).
class CMenu {
 public:
  HMENU m_hMenu = nullptr;

  // Appends an item; `lpszNewItem` is GBK text (ignored for MF_SEPARATOR).
  BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0,
                  const char* lpszNewItem = nullptr);
};

#endif  // TARNWICK_MFC_MENU_H_
