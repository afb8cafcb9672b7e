#ifndef TARNWICK_CLI_RUN_REPORT_H_
#define TARNWICK_CLI_RUN_REPORT_H_

#include <memory>
#include <mutex>
#include <ostream>
#include <string>

#include "cli/cli.h"
#include "cli/events.h"

// Where a run's words and events go. Results and summaries go to standard
// output, progress, warnings and errors to standard error; with --json every
// word goes to standard error, and standard output carries the events:
// "start" first (held back until the first other event, so that the run
// can add to it), "summary" last. Each fact a run tells is told here once,
// in words and as its event.
class RunReport {
 public:
  RunReport(CliEnv& env, bool json);

  bool json() const { return events_ != nullptr; }
  // Results and summaries.
  std::ostream& Out() { return json() ? *env_.err : *env_.out; }
  // Progress, warnings and errors.
  std::ostream& Err() { return *env_.err; }
  // The events, for runs that write them from their own threads; null
  // without --json.
  EventStream* events() { return events_.get(); }

  // The "start" event's members; they may be added to until another event
  // is written.
  EventFields& start() { return start_; }

  // Writes the event `name` (after "start"), of the board named `board`
  // when the run names its boards; nothing without --json. Any thread may
  // call it.
  void Event(const char* name, const EventFields& fields,
             const std::string& board = "");

  // A refusal or failure: "tarnwick: WHAT" on standard error and an "error"
  // event {"text", "exit", "code"}. Returns `exit`.
  int Error(int exit, const char* code, const std::string& what);

  // Something the user should know, the run going on: "tarnwick: warning:
  // WHAT" on
  // standard error and a "warning" event {"text", "code"}.
  void Warning(const char* code, const std::string& what);

  // Members the summary adds to its exit code.
  EventFields& summary() { return summary_; }

  // The last event: "summary" {"exit": exit, ...}.
  void Finish(int exit);

 private:
  void WriteStart();

  CliEnv& env_;
  std::unique_ptr<EventStream> events_;
  std::mutex start_mutex_;
  EventFields start_ = EventFields::object();
  bool started_ = false;
  EventFields summary_ = EventFields::object();
};

#endif  // TARNWICK_CLI_RUN_REPORT_H_
