#ifndef TARNWICK_MFC_WIN_THREAD_H_
#define TARNWICK_MFC_WIN_THREAD_H_

#include <windows.h>

// The procedure of a worker thread; its result is the thread's exit code.
typedef UINT (*AFX_THREADPROC)(LPVOID pParam);

// A worker thread started by AfxBeginThread. With m_bAutoDelete TRUE (the
// default) the object deletes itself, closing m_hThread, when the thread
// ends; to wait on m_hThread, start the thread with CREATE_SUSPENDED, set
// m_bAutoDelete to FALSE, call ResumeThread, and delete the object after
// the wait.
class CWinThread {
 public:
  ~CWinThread();
  CWinThread(const CWinThread&) = delete;
  CWinThread& operator=(const CWinThread&) = delete;

  DWORD ResumeThread();

  HANDLE m_hThread = nullptr;
  DWORD m_nThreadID = 0;
  BOOL m_bAutoDelete = TRUE;

 private:
  friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD,
                                    LPSECURITY_ATTRIBUTES);
  CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
  static unsigned __stdcall ThreadEntry(void* pThread);

  AFX_THREADPROC m_pfnThreadProc;
  LPVOID m_pThreadParams;
};

// Starts `pfnThreadProc(pParam)` on a new thread at `nPriority`; with
// CREATE_SUSPENDED in dwCreateFlags it waits for ResumeThread. Returns
// null when the thread could not be created. Unless m_bAutoDelete is
// cleared before the thread runs, the object may be gone by the time the
// caller looks at it.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                           int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

#endif  // TARNWICK_MFC_WIN_THREAD_H_
