#ifndef TARNWICK_CLI_BOARDS_COMMAND_H_
#define TARNWICK_CLI_BOARDS_COMMAND_H_

#include "cli/cli.h"
#include "cli/options.h"
#include "cli/run_report.h"

// The command `boards`: lists the boards of the boards file (those --board
// names, or all), each with what it is, whether its card and parallel port
// are found on this machine (where the platform can look), and which
// process holds it, if any (asked without taking it); one "board" event
// each. Touches no port. Returns the exit code: 2 when the boards file is
// missing or bad.
int RunBoardsCommand(const CliOptions& options, CliEnv& env,
                     RunReport& report);

#endif  // TARNWICK_CLI_BOARDS_COMMAND_H_
