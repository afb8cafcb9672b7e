#ifndef TARNWICK_CLI_BOARD_ACCESS_H_
#define TARNWICK_CLI_BOARD_ACCESS_H_

#include <memory>
#include <vector>

#include "cli/cli.h"
#include "cli/options.h"
#include "cli/run_files.h"
#include "cli/run_report.h"
#include "link/trace_file.h"
#include "session/programmer_session.h"

// One board as a command holds it: its ports, the lock that keeps other
// programs off it, port access through the programmer session, and the
// trace. A run, and each board of a run, has its own.
class BoardAccess {
 public:
  BoardAccess(const CliOptions& options, CliEnv& env, RunReport& report);
  ~BoardAccess() { Release(kExitOk); }

  BoardAccess(const BoardAccess&) = delete;
  BoardAccess& operator=(const BoardAccess&) = delete;

  // The ports --config and the port options give, or (Linux, none given)
  // the one card and parallel port the system lists; they join the start
  // event. Returns the exit code.
  int ResolvePorts();

  // Takes the board (waiting as --wait says), then opens the simulated
  // board (its chip file a socket when `socket`: a missing file is an
  // empty one) or real port access. The simulated board's own trace must
  // be none of `files`. Returns the exit code.
  int Open(bool socket, const std::vector<NamedFile>& files);

  // Every refusal passed: the trace goes to its file from here on, the
  // lines of the reads before it first.
  void StartTrace();

  ProgrammerSession& session() { return *session_; }

  // Whether a signal asked the run to stop.
  bool Stopped() const {
    return env_.interrupted != nullptr && env_.interrupted->load();
  }

  // Releases port access, saves a simulated board's chip and the trace, and
  // then lets the board and the clock go, whatever came before; a failure
  // here turns success into exit code 2. Returns the code. Only the first
  // call acts.
  int Release(int code);

 private:
  const CliOptions& o_;
  CliEnv& env_;
  RunReport& report_;
  BoardPorts ports_;
  Trace trace_;
  std::unique_ptr<TraceFile> trace_file_;
  std::unique_ptr<ClockResolution> fine_clock_;
  std::unique_ptr<PortIo> real_port_;
  std::unique_ptr<ProgrammerSession> session_;
  std::unique_ptr<BoardLock> board_lock_;
  bool released_ = false;
};

#endif  // TARNWICK_CLI_BOARD_ACCESS_H_
