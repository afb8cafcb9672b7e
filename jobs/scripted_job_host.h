#ifndef TARNWICK_JOBS_SCRIPTED_JOB_HOST_H_
#define TARNWICK_JOBS_SCRIPTED_JOB_HOST_H_

#include <string>
#include <vector>

#include "jobs/job_host.h"

// A JobHost for tests and benchmarks: file dialogs answer from the script,
// message boxes and label texts are recorded, and a stop can be requested
// after a given number of label updates.
class ScriptedJobHost : public JobHost {
 public:
  // Answers of the Save As and Open dialogs; empty means Cancel.
  std::string save_path;
  std::string open_path;
  // StopRequested turns true once this many label updates were made
  // (negative: never).
  int stop_after_updates = -1;

  // What the job did.
  int save_dialogs = 0;
  int open_dialogs = 0;
  std::vector<std::string> messages;
  int read_updates = 0;
  int write_updates = 0;
  std::string read_status;
  std::string write_status;

  bool ChooseSaveFile(FilePath* path) override {
    ++save_dialogs;
    *path = save_path;
    return !save_path.empty();
  }
  bool ChooseOpenFile(FilePath* path) override {
    ++open_dialogs;
    *path = open_path;
    return !open_path.empty();
  }
  void ShowMessage(const std::string& text) override {
    messages.push_back(text);
  }
  void SetReadStatus(const std::string& text) override {
    ++read_updates;
    read_status = text;
  }
  void SetWriteStatus(const std::string& text) override {
    ++write_updates;
    write_status = text;
  }
  bool StopRequested() override {
    return stop_after_updates >= 0 &&
           read_updates + write_updates >= stop_after_updates;
  }
};

#endif  // TARNWICK_JOBS_SCRIPTED_JOB_HOST_H_
