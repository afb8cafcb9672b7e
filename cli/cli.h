#ifndef TARNWICK_CLI_CLI_H_
#define TARNWICK_CLI_CLI_H_

#include <atomic>
#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/file.h"
#include "link/board_ports.h"
#include "link/port_io.h"

// Exit codes of the command line.
constexpr int kExitOk = 0;
constexpr int kExitChipFailed = 1;    // did not verify, compare, blank-check
constexpr int kExitBadUsage = 2;      // bad usage or a bad/unusable file
constexpr int kExitNoAccess = 3;      // no port access, no chip answering,
                                      // or the board held by another program
constexpr int kExitInterrupted = 130; // stopped (the platform's main makes
                                      // it 128 + the signal that stopped it)

// Everything the command line takes from its platform, so that tests can
// run it whole in the process, on a virtual clock.
struct CliEnv {
  std::istream* in = nullptr;   // an image given as "-"
  std::ostream* out = nullptr;  // results, or an image read into "-"
  std::ostream* err = nullptr;  // progress, warnings and errors
  bool out_is_terminal = false;
  bool err_is_terminal = false;
  // Times the chip cycles and the simulated board.
  Clock* clock = nullptr;
  // Set (by Ctrl-C and other signals) to stop at the next address.
  const std::atomic<bool>* interrupted = nullptr;
  // The number of the first signal that asked the run to stop (0 while
  // none has): the run then exits with 128 + it. Null: 130.
  const std::atomic<int>* stop_signal = nullptr;
  // Keeps the real clock's sleeps to 1 ms from before the first chip cycle
  // to the end of the run (HoldFineClockResolution); none when null.
  std::function<std::unique_ptr<ClockResolution>()> hold_fine_clock;
  // The platform's real port access to the board at `ports`, through the
  // port-access library named (empty: the platform's choice), opened or
  // not yet; null, with the reason and its fixes in *note, when there is
  // none. On success *note may name what was opened, to be said.
  std::function<std::unique_ptr<PortIo>(const BoardPorts& ports,
                                        const std::string& library,
                                        std::string* note)>
      open_real_port;
  // Whether the platform drives real ports through a library it loads,
  // which --port-library may name (Windows).
  bool loads_port_library = false;
  // Whether the platform can find the card and the parallel port (Linux),
  // and the folder whose /sys and /proc it looks in.
  bool can_find_ports = false;
  FilePath system_root = "/";
};

// Runs the command line `args` (without the program's name; UTF-8) and
// returns its exit code. Port access, when opened, is released on every
// way out, and a simulated board's chip saved. With --json, standard
// output carries the run's events, "summary" last with this exit code.
int RunCli(const std::vector<std::string>& args, CliEnv& env);

#endif  // TARNWICK_CLI_CLI_H_
