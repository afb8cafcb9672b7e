#include "app/programmer_app.h"

#include "app/programmer_dlg.h"

// The one application object; no name of its own, so message boxes are
// captioned with the executable's name.
CProgrammerApp theApp;

CProgrammerApp::CProgrammerApp() : CWinApp(nullptr) {}

BOOL CProgrammerApp::InitInstance() {
  CProgrammerDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  return FALSE;
}
