#ifndef TARNWICK_JOBS_JOB_PROGRESS_H_
#define TARNWICK_JOBS_JOB_PROGRESS_H_

#include <functional>
#include <utility>

#include "chip/progress.h"
#include "jobs/job_host.h"

// A chip operation's progress as a desktop job shows it: each step goes to
// the job's own handler, and the job stops when its host says the program
// is closing.
class JobProgress : public ProgressSink {
 public:
  using OnStep = std::function<void(const Progress&)>;

  JobProgress(JobHost& host, OnStep on_step)
      : host_(host), on_step_(std::move(on_step)) {}

  void OnProgress(const Progress& progress) override { on_step_(progress); }
  bool StopRequested() override { return host_.StopRequested(); }

 private:
  JobHost& host_;
  OnStep on_step_;
};

#endif  // TARNWICK_JOBS_JOB_PROGRESS_H_
