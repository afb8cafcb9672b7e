#ifndef TARNWICK_MFC_MESSAGE_BOX_H_
#define TARNWICK_MFC_MESSAGE_BOX_H_

#include <windows.h>

// Shows a modal message box with the GBK text `lpszText`, captioned with
// the application's name, and waits for it to close; returns the button
// chosen (IDOK for MB_OK). On the UI thread it is owned by the active
// window; a worker thread has none, so there it has no owner.
int AfxMessageBox(const char* lpszText, UINT nType = MB_OK);
// The same with a wide text (one that holds a file name of any characters).
int AfxMessageBox(const wchar_t* lpszText, UINT nType = MB_OK);

#endif  // TARNWICK_MFC_MESSAGE_BOX_H_
