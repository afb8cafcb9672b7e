#ifndef TARNWICK_BENCH_BENCH_JOB_HOST_H_
#define TARNWICK_BENCH_BENCH_JOB_HOST_H_

#include <string>
#include <vector>

#include "jobs/job_host.h"

// The window side of a desktop job, for timing the job alone: the file
// dialogs answer with fixed paths, messages are kept, labels go nowhere.
class BenchJobHost : public JobHost {
 public:
  FilePath open_path;
  FilePath save_path;
  std::vector<std::string> messages;

  bool ChooseSaveFile(FilePath* path) override {
    return Choose(save_path, path);
  }
  bool ChooseOpenFile(FilePath* path) override {
    return Choose(open_path, path);
  }
  void ShowMessage(const std::string& text) override {
    messages.push_back(text);
  }
  void SetReadStatus(const std::string&) override {}
  void SetWriteStatus(const std::string&) override {}
  bool StopRequested() override { return false; }

 private:
  static bool Choose(const FilePath& answer, FilePath* path) {
    *path = answer;
    return !answer.empty();
  }
};

#endif  // TARNWICK_BENCH_BENCH_JOB_HOST_H_
