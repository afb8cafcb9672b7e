#ifndef TARNWICK_APP_PROGRAMMER_DLG_H_
#define TARNWICK_APP_PROGRAMMER_DLG_H_

#include <atomic>
#include <memory>

#include "app/job_thread.h"
#include "app/resource.h"
#include "app/status_texts.h"
#include "mfc/afxwin.h"
#include "session/programmer_session.h"

// The main dialog, which has the programmer session for the whole run.
// Lives on InitInstance's stack. Port access is opened when the dialog
// starts and released once, when it ends, whichever way it ends. One chip
// activity runs at a time: a chip command given while another runs is
// refused with a message.
class CProgrammerDlg : public CDialog {
 public:
  // Port access through WINIO.dll, timing through the system's sleep.
  explicit CProgrammerDlg(CWnd* pParent = nullptr);
  enum { IDD = IDD_MAIN };

 protected:
  HICON m_hIcon;

  // Adds the About item to the system menu, sets the icons, reads
  // start.ini, shows the two port addresses and opens the session on them.
  BOOL OnInitDialog() override;

  // The About item shows the About box; the close command closes the
  // dialog even while one of its message boxes disables it; every other
  // system command gets its default processing.
  afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
  // Draws the icon centred when minimised.
  afx_msg void OnPaint();
  afx_msg HCURSOR OnQueryDragIcon();
  // Reads the signature bytes at 32H, 31H, 30H and shows
  // "30H=%X,\t31H=%X,\t32H=%X".
  afx_msg void OnReadSignature();
  // Erases the chip; nothing is shown.
  afx_msg void OnEraseChip();
  // Start the read job and the write job on a worker thread each, and
  // return at once.
  afx_msg void OnReadChip();
  afx_msg void OnWriteChip();
  // While a job runs: show the status texts it left, and once more when
  // it has ended (posted by its thread), so its last texts show at once.
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg LRESULT OnJobEnded(WPARAM wParam, LPARAM lParam);
  // Stops a running job and waits for it, then releases port access.
  afx_msg void OnDestroy();

  // The two jobs' worker threads; pParam is the dialog. Each holds the
  // chip (claimed by the handler that started it) until its job ends.
  static UINT ReadChipThreadProc(LPVOID pParam);
  static UINT WriteChipThreadProc(LPVOID pParam);

  DECLARE_MESSAGE_MAP()

 private:
  // Claims the chip and starts `proc` with this dialog; when the chip is
  // busy, says so instead.
  void StartJob(AFX_THREADPROC proc);
  // Shows the waiting status texts; stops the status timer once the job
  // has ended.
  void ShowStatusTexts();
  // The end of a job's thread: tells the dialog, releases the chip.
  void EndJob();
  // Claims the chip for a command on the UI thread, and with `board` the
  // board against other programs too (*board holds it); false, after
  // saying the chip is busy, when another activity or program holds
  // either. EndChipActivity releases the chip, on whichever thread the
  // activity ends; the board goes with *board, on the thread that took it.
  bool BeginChipCommand(std::unique_ptr<BoardLock>* board);
  // The board for one activity of the calling thread; null when another
  // program holds it.
  std::unique_ptr<BoardLock> ClaimBoard();
  void EndChipActivity() { m_chipBusy = false; }

  // Made once start.ini has given the ports; port access through WINIO.dll,
  // timing through the system's sleep.
  std::unique_ptr<ProgrammerSession> m_pSession;
  // Set while a chip activity runs.
  std::atomic<bool> m_chipBusy{false};
  // Status texts from the running job to the two labels.
  StatusTexts m_statusTexts;
  // Set when the dialog ends: a running job stops at its next address.
  std::atomic<bool> m_stopJobs{false};
  JobThread m_jobThread;
};

#endif  // TARNWICK_APP_PROGRAMMER_DLG_H_
