#ifndef TARNWICK_CLI_NAMED_BOARDS_H_
#define TARNWICK_CLI_NAMED_BOARDS_H_

#include <functional>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/events.h"
#include "cli/options.h"
#include "cli/run_report.h"
#include "config/boards_file.h"

// The boards file of a run: the one --boards names, else the first of
// env.boards_files that exists. Into *boards the boards --board names, or
// all of them when it names none. Returns the exit code: 2, told through
// `report`, for no file, a file that cannot be read or has an error (its
// line), or a name the file lacks. *path names the file read.
int LoadNamedBoards(const CliOptions& options, CliEnv& env, RunReport& report,
                    FilePath* path, std::vector<NamedBoard>* boards);

// The "board" a run's start event lists for each of its boards: its name
// and its folder ("sim") or ports ("rtl_base", "epp_port").
EventFields BoardFields(const NamedBoard& board);

// "{board}" in `text` replaced by `name`, wherever it stands.
std::string WithBoardName(std::string text, const std::string& name);

// The options the run of `board` goes by: its folder or its ports, its
// name, and "{board}" in FILE, --trace and --log replaced by its name.
CliOptions OptionsForBoard(const CliOptions& options, const NamedBoard& board);

// Refuses, through `report` with exit code 2, what several boards cannot
// share: FILE "-" (standard input or output), and FILE (read), --trace and
// --log without "{board}" in their names. Returns the exit code.
int CheckSeveralBoards(const CliOptions& options, size_t boards,
                       RunReport& report);

// How one board's run ended: its exit code and its summary's members.
struct BoardEnd {
  int exit = 0;
  EventFields summary = EventFields::object();
};

// Runs `run` once for each of `boards` (each with OptionsForBoard), all at
// once, each on a thread of its own with a report of its own: its events
// carry its name and, with several boards, each line of its words starts
// with its name, and on a terminal it keeps a status line. A board's
// failure or refusal ends only its own run. Returns how each ended, in
// order, once all have.
using BoardRun =
    std::function<int(size_t index, const CliOptions& options,
                      RunReport& report)>;
std::vector<BoardEnd> RunOnBoards(const CliOptions& options, CliEnv& env,
                                  RunReport& report,
                                  const std::vector<NamedBoard>& boards,
                                  const BoardRun& run);

// The run's exit code from its boards': the largest, so 0 only when every
// board's run succeeded.
int CombinedExit(const std::vector<BoardEnd>& ends);

// How each of `boards` ended, in words: "a ok, b exit 3".
std::string BoardExitWords(const std::vector<NamedBoard>& boards,
                           const std::vector<BoardEnd>& ends);

// A chip command (read, write, verify, erase, signature, blank-check,
// selftest) on the boards --board names, each board's run as
// RunChipCommand's, side by side. With several boards the summary lists
// each board's exit code ("boards": [{"board", "exit"}]) and a line says
// how each ended. Returns the run's exit code.
int RunChipCommandOnBoards(const CliOptions& options, CliEnv& env,
                           RunReport& report);

#endif  // TARNWICK_CLI_NAMED_BOARDS_H_
