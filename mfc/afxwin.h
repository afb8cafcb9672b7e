#ifndef TARNWICK_MFC_AFXWIN_H_
#define TARNWICK_MFC_AFXWIN_H_

// The program's application framework: the few MFC classes and functions
// it is written against, with MFC's names and behaviour, over the wide
// Windows API. Every text is GBK.

#include <windows.h>

#include "mfc/cstring.h"
#include "mfc/dialog.h"
#include "mfc/file_dialog.h"
#include "mfc/menu.h"
#include "mfc/message_box.h"
#include "mfc/message_map.h"
#include "mfc/paint_dc.h"
#include "mfc/win_app.h"
#include "mfc/win_thread.h"
#include "mfc/wnd.h"

#endif  // TARNWICK_MFC_AFXWIN_H_
