#ifndef TARNWICK_CLI_BATCH_COMMAND_H_
#define TARNWICK_CLI_BATCH_COMMAND_H_

#include "cli/cli.h"
#include "cli/options.h"
#include "cli/run_report.h"

// The command `batch FILE`: one board programs chip after chip
// (production/batch_run.h), the operator only swapping them. Refused, with
// exit code 2 and nothing written, before the board is touched: one file
// named twice, a file that cannot be written, a bad image or one without
// the checksums expected, a serial file that is locked, missing without
// --serial-start, or holding another number, a serial area outside the
// part or holding image data; then the board (busy, no port access: 3).
// Only then is the journal made and the trace begun; the serial file is
// written before each chip. Returns the exit code (BatchReport::exit).
//
// With boards named (--board), every board the command line names runs its
// own production run, all at once, each on a thread of its own with its
// own board, lock, socket, trace and report; they share the image, the
// serial file (numbers taken in turn) and the journal (each line naming
// its board). A board refused or failing ends its own run only. The run's
// exit code is the largest of the boards' (CombinedExit), and its summary
// adds their totals to each board's ("boards").
int RunBatchCommand(const CliOptions& options, CliEnv& env, RunReport& report);

#endif  // TARNWICK_CLI_BATCH_COMMAND_H_
