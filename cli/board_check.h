#ifndef TARNWICK_CLI_BOARD_CHECK_H_
#define TARNWICK_CLI_BOARD_CHECK_H_

#include "chip/parts.h"
#include "cli/cli.h"
#include "cli/options.h"
#include "cli/run_report.h"
#include "session/programmer_session.h"

// The command `selftest`, on a session with port access open whose
// signature was read (`unstable`: its two reads differed). Refuses a chip
// that answers (three signature bytes that are not all alike, read alike
// twice) unless --force; then holds each line of LineCheckSteps in
// turn, until a line arrives on standard input (Enter) or for --hold
// seconds, says which register bit it is and where it reaches the socket,
// and ends by reading the data lines back. A signal stops it at once. The
// board is left at rest however it ends. Told through `report`; returns
// the exit code.
int RunSelfTest(ProgrammerSession& session, const Signature& signature,
                bool unstable, const CliOptions& options, CliEnv& env,
                RunReport& report);

#endif  // TARNWICK_CLI_BOARD_CHECK_H_
