#ifndef TARNWICK_CLI_CHECKSUM_COMMAND_H_
#define TARNWICK_CLI_CHECKSUM_COMMAND_H_

#include "cli/cli.h"
#include "cli/options.h"
#include "cli/run_report.h"

// The command `checksum FILE`, which needs no board: the bytes the file
// gives, their range and their SUM16, and the SUM16 and CRC-32 of the chip
// image it makes on each part it fits (the part --part names, or each
// size), each as an "image" event too. With --expect-sum or --expect-crc,
// exit code 2 unless a part's chip image has them. Returns the exit code.
int RunChecksum(const CliOptions& options, CliEnv& env, RunReport& report);

#endif  // TARNWICK_CLI_CHECKSUM_COMMAND_H_
