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
int RunBatchCommand(const CliOptions& options, CliEnv& env, RunReport& report);

#endif  // TARNWICK_CLI_BATCH_COMMAND_H_
