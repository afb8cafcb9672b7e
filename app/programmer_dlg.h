#ifndef TARNWICK_APP_PROGRAMMER_DLG_H_
#define TARNWICK_APP_PROGRAMMER_DLG_H_

#include "app/resource.h"
#include "link/programmer_link.h"
#include "mfc/afxwin.h"

// The main dialog and, through ProgrammerLink, the program's whole working
// state and the chip cycles. Lives on InitInstance's stack for the run.
// Port access is opened when the dialog starts and released once, when it
// ends, whichever way it ends.
class CProgrammerDlg : public CDialog, public ProgrammerLink {
 public:
  // Port access through WINIO.dll, timing through the system's sleep.
  explicit CProgrammerDlg(CWnd* pParent = nullptr);
  enum { IDD = IDD_MAIN };

 protected:
  HICON m_hIcon;

  // Adds the About item to the system menu, sets the icons, resets the
  // state, reads start.ini, shows the two port addresses and opens port
  // access.
  BOOL OnInitDialog() override;

  // The About item shows the About box; every other system command gets
  // its default processing.
  afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
  // Draws the icon centred when minimised.
  afx_msg void OnPaint();
  afx_msg HCURSOR OnQueryDragIcon();
  // Reads the signature bytes at 32H, 31H, 30H and shows
  // "30H=%X,\t31H=%X,\t32H=%X".
  afx_msg void OnReadSignature();
  // Erases the chip; nothing is shown.
  afx_msg void OnEraseChip();
  // Releases port access.
  afx_msg void OnDestroy();

  DECLARE_MESSAGE_MAP()
};

#endif  // TARNWICK_APP_PROGRAMMER_DLG_H_
