#ifndef TARNWICK_APP_ABOUT_DLG_H_
#define TARNWICK_APP_ABOUT_DLG_H_

#include "app/resource.h"
#include "mfc/afxwin.h"

// The About box, reached from the main dialog's system menu.
class CAboutDlg : public CDialog {
 public:
  CAboutDlg();
  enum { IDD = IDD_ABOUTBOX };

  DECLARE_MESSAGE_MAP()
};

#endif  // TARNWICK_APP_ABOUT_DLG_H_
