#ifndef TARNWICK_CLI_CHIP_RUN_H_
#define TARNWICK_CLI_CHIP_RUN_H_

#include "chip/write_image.h"
#include "cli/cli.h"
#include "cli/options.h"
#include "cli/run_report.h"

// Runs one chip command (read, write, verify, erase, signature,
// blank-check, selftest) as `options` say, telling it through `report`, and
// returns its exit code.
//
// Everything that can be refused is refused before anything changes: the
// run's files first (one file named twice, an output that could not be
// written, a bad image or one without the checksums expected, an unusable
// --sim folder), then, holding the board, the chip (no chip, unstable
// lines, an unknown or another part, an image that does not fit). Only
// then are its output files made: the trace and the log as the operation
// begins, the image `read` writes once read whole. A refused run leaves
// every file as it was. Port access, when opened, is released on every way
// out, and a simulated board's chip saved.
int RunChipCommand(const CliOptions& options, CliEnv& env, RunReport& report);

// What a write left on the chip.
enum class ChipState {
  kUnchanged,         // nothing changed
  kErased,            // erased, nothing programmed
  kPartlyProgrammed,  // stopped with bytes programmed and some not reached
  kProgrammed,        // every byte programmed (some may have failed)
};

ChipState StateAfterWrite(const WriteReport& report);

// "unchanged", "erased", "partly-programmed", "programmed".
const char* ChipStateWord(ChipState state);

// What a stopped write left, in words: "the chip is partly programmed".
const char* ChipStatePhrase(ChipState state);

#endif  // TARNWICK_CLI_CHIP_RUN_H_
