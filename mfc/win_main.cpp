#include <windows.h>

#include "mfc/win_app.h"

// The executable's entry, called by the C runtime. The command line is not
// used.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
  return AfxWinMain(hInstance);
}
