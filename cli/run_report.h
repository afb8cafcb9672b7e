#ifndef TARNWICK_CLI_RUN_REPORT_H_
#define TARNWICK_CLI_RUN_REPORT_H_

#include <memory>
#include <mutex>
#include <ostream>
#include <string>

#include "cli/board_lines.h"
#include "cli/cli.h"
#include "cli/events.h"

// Where a run's words and events go. Results and summaries go to standard
// output, progress, warnings and errors to standard error; with --json every
// word goes to standard error, and standard output carries the events:
// "start" first (held back until the first other event, so that the run
// can add to it), "summary" last. Each fact a run tells is told here once,
// in words and as its event.
//
// A run of several boards gives each board a report of its own, used by
// the board's thread: its events carry the board's name and go into the
// run's stream, its words go to its lines, and its summary is its own, for
// the run to combine.
class RunReport {
 public:
  RunReport(CliEnv& env, bool json);
  // The report of the board `board` of `run`: its words go to the lines
  // `lines` keeps for the board numbered `index` (the run's own streams
  // when `lines` is null: a run's only board).
  RunReport(RunReport& run, std::string board, BoardLines* lines,
            size_t index);

  bool json() const { return events_ != nullptr; }
  // Results and summaries.
  std::ostream& Out() { return json() ? *err_ : *out_; }
  // Progress, warnings and errors.
  std::ostream& Err() { return *err_; }
  // Whether progress is drawn in place on a terminal: on the run's own
  // standard error when it is one, or on the board's status line.
  bool err_is_terminal() const { return terminal_; }
  // The board's line redrawn in place on a terminal, for a board of
  // several; null otherwise.
  StatusLine* status() { return status_; }
  // Rings the terminal's bell.
  void Bell();

  // The "start" event's members; they may be added to until another event
  // is written. A board's report keeps its own, unwritten.
  EventFields& start() { return start_; }

  // Writes the event `name` (after "start"), of the board named `board`
  // (a board's report: its own) when the run names its boards; nothing
  // without --json. Any thread may call it.
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

  RunReport* const run_ = nullptr;  // a board's: the run's report
  const std::string board_;
  std::ostream* out_;
  std::ostream* err_;
  StatusLine* status_ = nullptr;
  BoardLines* lines_ = nullptr;
  bool terminal_;
  std::unique_ptr<EventStream> own_events_;
  EventStream* events_ = nullptr;
  std::mutex start_mutex_;
  EventFields start_ = EventFields::object();
  bool started_ = false;
  EventFields summary_ = EventFields::object();
};

#endif  // TARNWICK_CLI_RUN_REPORT_H_
