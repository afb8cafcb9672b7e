#ifndef TARNWICK_MFC_WIN_APP_H_
#define TARNWICK_MFC_WIN_APP_H_

#include <windows.h>

#include <string>

class CWnd;

// The application object. The program defines exactly one, as a static
// object; WinMain runs its InitInstance. This layer serves dialog-based
// programs: InitInstance runs the main dialog modally and returns FALSE,
// and the program ends with it (there is no message loop of its own).
class CWinApp {
 public:
  // `lpszAppName` (GBK) names the program in message-box captions; null
  // takes the executable's file name without its extension.
  explicit CWinApp(const char* lpszAppName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual BOOL InitInstance();
  // Returns the program's exit code.
  virtual int ExitInstance();

  // Icon `nIDResource` of the program's resources, at the system's large
  // icon size.
  HICON LoadIcon(UINT nIDResource) const;

  const char* m_pszAppName = nullptr;
  HINSTANCE m_hInstance = nullptr;
  CWnd* m_pMainWnd = nullptr;

 private:
  friend int AfxWinMain(HINSTANCE hInstance);
  std::string m_appName;
};

// The application object, its main window (may be null) and module.
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
const char* AfxGetAppName();

// The program's start: runs InitInstance, then ExitInstance, whose result
// it returns. Called by WinMain.
int AfxWinMain(HINSTANCE hInstance);

#endif  // TARNWICK_MFC_WIN_APP_H_
