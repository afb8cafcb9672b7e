#include "app/job_thread.h"

namespace {

// How often the job's dialog boxes are looked for while waiting: one that
// opens just after a look is cancelled at the next.
constexpr DWORD kCancelIntervalMs = 50;

// Cancels a dialog box (window class "#32770": file dialogs and message
// boxes) of the job's thread, as its Cancel button or Esc would.
BOOL CALLBACK CancelDialogBox(HWND window, LPARAM) {
  wchar_t name[16] = {};
  ::GetClassNameW(window, name, 16);
  if (::lstrcmpW(name, L"#32770") == 0)
    ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  return TRUE;
}

}  // namespace

JobThread::~JobThread() {
  if (m_hThread != nullptr) ::CloseHandle(m_hThread);
}

bool JobThread::Start(AFX_THREADPROC proc, LPVOID param) {
  // Suspended, so that the handle is copied before the thread object can
  // delete itself.
  CWinThread* thread = AfxBeginThread(proc, param, THREAD_PRIORITY_NORMAL, 0,
                                      CREATE_SUSPENDED);
  if (thread == nullptr) return false;
  HANDLE handle = nullptr;
  if (!::DuplicateHandle(::GetCurrentProcess(), thread->m_hThread,
                         ::GetCurrentProcess(), &handle, SYNCHRONIZE, FALSE,
                         0)) {
    // A job that could not be waited for must not run. The thread has not
    // run a single instruction, so ending it leaves nothing behind.
    ::TerminateThread(thread->m_hThread, 0);
    ::WaitForSingleObject(thread->m_hThread, INFINITE);
    delete thread;
    return false;
  }
  if (m_hThread != nullptr) ::CloseHandle(m_hThread);
  m_hThread = handle;
  m_nThreadID = thread->m_nThreadID;
  thread->ResumeThread();
  return true;
}

bool JobThread::HasEnded() const {
  return m_hThread == nullptr ||
         ::WaitForSingleObject(m_hThread, 0) == WAIT_OBJECT_0;
}

bool JobThread::WaitCancellingDialogs(DWORD timeout_ms) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (HasEnded()) return true;
    const DWORD waited = ::GetTickCount() - start;
    if (waited >= timeout_ms) return false;
    ::EnumThreadWindows(m_nThreadID, CancelDialogBox, 0);
    DWORD wait = timeout_ms - waited;
    if (wait > kCancelIntervalMs) wait = kCancelIntervalMs;
    // Wakes for messages sent to this thread; PeekMessage answers them
    // (sent messages are delivered inside it) and leaves posted ones,
    // input included, in the queue.
    if (::MsgWaitForMultipleObjects(1, &m_hThread, FALSE, wait,
                                    QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
      MSG msg;
      ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
  }
}
