#ifndef TARNWICK_CLI_CHIP_RUN_H_
#define TARNWICK_CLI_CHIP_RUN_H_

#include "cli/cli.h"
#include "cli/options.h"

// Runs one chip command (read, write, verify, erase, signature,
// blank-check) as `options` say, and returns its exit code.
//
// Everything that can be refused is refused before anything changes: the
// run's files first (one file named twice, an output that could not be
// written, a bad image, an unusable --sim folder), then, holding the board,
// the chip (no chip, unstable lines, an unknown or another part, an image
// that does not fit). Only then are its output files made: the trace and
// the log as the operation begins, the image `read` writes once read
// whole. A refused run leaves every file as it was. Port access, when
// opened, is released on every way out, and a simulated board's chip
// saved.
int RunChipCommand(const CliOptions& options, CliEnv& env);

#endif  // TARNWICK_CLI_CHIP_RUN_H_
