#ifndef TARNWICK_CLI_PROGRESS_DISPLAY_H_
#define TARNWICK_CLI_PROGRESS_DISPLAY_H_

#include <cstdint>
#include <ostream>
#include <string>

#include "base/clock.h"
#include "chip/progress.h"
#include "cli/board_lines.h"

// Shows a chip operation's progress on standard error. On a terminal: one
// line redrawn a few times a second with the stage, the address, a bar,
// the bytes per second and the time left. Elsewhere (a pipe, a log file):
// nothing while it runs, one plain line at the end. Quiet: nothing at all.
// A board of several draws it as its status line instead.
class ProgressDisplay {
 public:
  // `err`, `clock` and `status` (when given) must outlive the display.
  ProgressDisplay(std::ostream& err, Clock* clock, bool terminal, bool quiet,
                  StatusLine* status = nullptr);

  // After each address of an operation.
  void Update(const Progress& progress);

  // The command `command` has ended: ends the bar's line on a terminal (a
  // status line stays as drawn), or prints "tarnwick: COMMAND took 1.234 s"
  // elsewhere.
  void Finish(const std::string& command);

 private:
  void Draw(const Progress& progress, uint64_t now_us);

  std::ostream& err_;
  Clock* clock_;
  bool terminal_;
  bool quiet_;
  StatusLine* status_;
  uint64_t start_us_;
  bool drawn_ = false;
  Stage stage_ = Stage::kRead;
  uint64_t stage_start_us_ = 0;
  uint64_t last_draw_us_ = 0;
};

// The word for a stage in messages: "read", "program", "blank-check", ...
const char* StageWord(Stage stage);

#endif  // TARNWICK_CLI_PROGRESS_DISPLAY_H_
