#ifndef TARNWICK_APP_PROGRAMMER_APP_H_
#define TARNWICK_APP_PROGRAMMER_APP_H_

#include "mfc/afxwin.h"

// The application: runs the main dialog and ends when it ends.
class CProgrammerApp : public CWinApp {
 public:
  CProgrammerApp();

  // Runs CProgrammerDlg modally; returns FALSE so that the program ends
  // with the dialog.
  BOOL InitInstance() override;
};

#endif  // TARNWICK_APP_PROGRAMMER_APP_H_
