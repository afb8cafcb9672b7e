#ifndef TARNWICK_JOBS_JOB_HOST_H_
#define TARNWICK_JOBS_JOB_HOST_H_

#include <cstdint>
#include <string>

#include "base/file.h"

// The desktop program's chip: a 4 KB 89C51, which its jobs read and write
// whole whatever the board holds.
constexpr uint32_t kDesktopChipSize = 4096;

// What a chip job needs from the window it runs under: file choices,
// message boxes and the two status labels. The desktop program implements
// it with the common dialogs and the main dialog's controls; tests script it.
// All texts are GBK; paths are as the system gives them. Called from the job's worker thread.
class JobHost {
 public:
  virtual ~JobHost() = default;

  // Shows the Save As dialog (filter *.bin, overwrite prompt). Returns false
  // when the user cancels; otherwise stores the chosen full path.
  virtual bool ChooseSaveFile(FilePath* path) = 0;

  // Shows the Open dialog (filter *.bin). Returns false when cancelled.
  virtual bool ChooseOpenFile(FilePath* path) = 0;

  // Shows a modal OK message box with `text` and waits for it to close.
  virtual void ShowMessage(const std::string& text) = 0;

  // Replaces the text of the read-status or write-status label.
  virtual void SetReadStatus(const std::string& text) = 0;
  virtual void SetWriteStatus(const std::string& text) = 0;

  // True once the program is closing: the job stops at the next address.
  virtual bool StopRequested() = 0;
};

#endif  // TARNWICK_JOBS_JOB_HOST_H_
