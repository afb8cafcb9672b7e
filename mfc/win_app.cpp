#include "mfc/win_app.h"

#include "base/gbk.h"

namespace {
CWinApp* g_app = nullptr;
}  // namespace

CWinApp::CWinApp(const char* lpszAppName) {
  if (lpszAppName != nullptr) m_appName = lpszAppName;
  m_pszAppName = lpszAppName != nullptr ? m_appName.c_str() : nullptr;
  g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return FALSE; }

int CWinApp::ExitInstance() { return 0; }

HICON CWinApp::LoadIcon(UINT nIDResource) const {
  return ::LoadIconW(m_hInstance, MAKEINTRESOURCEW(nIDResource));
}

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app != nullptr ? g_app->m_pMainWnd : nullptr; }

HINSTANCE AfxGetInstanceHandle() {
  return g_app != nullptr ? g_app->m_hInstance : ::GetModuleHandleW(nullptr);
}

const char* AfxGetAppName() {
  return g_app != nullptr && g_app->m_pszAppName != nullptr
             ? g_app->m_pszAppName
             : "";
}

int AfxWinMain(HINSTANCE hInstance) {
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return -1;
  app->m_hInstance = hInstance;
  if (app->m_pszAppName == nullptr) {
    // Room for the longest path the system allows, so that a program deep
    // in the folder tree still finds its name at the end.
    std::wstring name(32768, L'\0');
    name.resize(::GetModuleFileNameW(hInstance, &name[0],
                                     static_cast<DWORD>(name.size())));
    name = name.substr(name.rfind(L'\\') + 1);
    name = name.substr(0, name.rfind(L'.'));
    app->m_appName = WideToGbk(name);
    app->m_pszAppName = app->m_appName.c_str();
  }
  app->InitInstance();
  return app->ExitInstance();
}
