#include "app/about_dlg.h"

CAboutDlg::CAboutDlg() : CDialog(CAboutDlg::IDD) {}

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
END_MESSAGE_MAP()
