#ifndef TARNWICK_APP_DIALOG_JOB_HOST_H_
#define TARNWICK_APP_DIALOG_JOB_HOST_H_

#include <atomic>
#include <string>

#include "app/status_texts.h"
#include "jobs/job_host.h"
#include "mfc/afxwin.h"

// The window side of a chip job, as the main dialog gives it to a worker
// thread: the common Open and Save As dialogs and message boxes, all
// without an owner window, and the dialog's two status labels. Used from
// the worker thread only.
class DialogJobHost : public JobHost {
 public:
  // Label texts are left in `texts`, which the dialog shows. `stop` is
  // the flag the dialog sets when it ends; once it is set no file dialog or
  // message box is shown any more. Both must outlive the host.
  DialogJobHost(StatusTexts* texts, const std::atomic<bool>* stop);

  bool ChooseSaveFile(FilePath* path) override;
  bool ChooseOpenFile(FilePath* path) override;
  void ShowMessage(const std::string& text) override;
  // Leave the text for the dialog; they do not wait for it.
  void SetReadStatus(const std::string& text) override;
  void SetWriteStatus(const std::string& text) override;
  bool StopRequested() override;

 private:
  bool ChooseFile(BOOL open, FilePath* path);

  StatusTexts* m_pTexts;
  const std::atomic<bool>* m_pStop;
};

#endif  // TARNWICK_APP_DIALOG_JOB_HOST_H_
