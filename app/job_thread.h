#ifndef TARNWICK_APP_JOB_THREAD_H_
#define TARNWICK_APP_JOB_THREAD_H_

#include "mfc/afxwin.h"

// The worker thread of the latest chip job, kept so that the dialog can
// wait for it when it ends. Holds a handle of its own: the thread object
// that AfxBeginThread makes deletes itself when the job returns. Used from
// the UI thread only.
class JobThread {
 public:
  JobThread() = default;
  ~JobThread();
  JobThread(const JobThread&) = delete;
  JobThread& operator=(const JobThread&) = delete;

  // Starts `proc(param)` on a new thread and keeps it in place of the one
  // before, which must have ended its job. False when no thread could be
  // made; nothing runs then.
  bool Start(AFX_THREADPROC proc, LPVOID param);

  // True when the thread has ended, or none was started.
  bool HasEnded() const;

  // Waits up to `timeout_ms` for the thread to end. Meanwhile it answers
  // the messages other threads send to this thread's windows, so that no
  // thread waiting on this one can hold the job up, without handling input;
  // and it cancels every dialog box the job shows (file dialogs, message
  // boxes), as its Cancel button would. True when the thread has ended or
  // none was started.
  bool WaitCancellingDialogs(DWORD timeout_ms);

 private:
  HANDLE m_hThread = nullptr;
  DWORD m_nThreadID = 0;
};

#endif  // TARNWICK_APP_JOB_THREAD_H_
