#ifndef TARNWICK_JOBS_JOB_PROGRESS_H_
#define TARNWICK_JOBS_JOB_PROGRESS_H_

#include <functional>
#include <utility>

#include "chip/progress.h"
#include "jobs/job_host.h"

// A chip operation's progress as a desktop job shows it: each step and
// failure goes to the job's own handlers, and the job stops when its host
// says the program is closing.
class JobProgress : public ProgressSink {
 public:
  using OnStep = std::function<void(const Progress&)>;
  using OnFailed = std::function<void(const ByteFailure&)>;

  JobProgress(JobHost& host, OnStep on_step, OnFailed on_failed = nullptr)
      : host_(host),
        on_step_(std::move(on_step)),
        on_failed_(std::move(on_failed)) {}

  void OnProgress(const Progress& progress) override { on_step_(progress); }
  void OnFailure(const ByteFailure& failure) override {
    if (on_failed_) on_failed_(failure);
  }
  bool StopRequested() override { return host_.StopRequested(); }

 private:
  JobHost& host_;
  OnStep on_step_;
  OnFailed on_failed_;
};

#endif  // TARNWICK_JOBS_JOB_PROGRESS_H_
