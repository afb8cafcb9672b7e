// tarnwick on Linux and other POSIX systems.

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace {

std::atomic<bool> interrupted{false};

void OnInterrupt(int) { interrupted = true; }

std::unique_ptr<PortIo> OpenRealPort(std::string* why) {
  *why =
      "real port access is not available on Linux yet; use --sim DIR for "
      "the simulated board";
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  // Ctrl-C stops the operation at the next address; the run then ends the
  // log, releases port access and exits 130.
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  CliEnv env;
  env.out = &std::cout;
  env.err = &std::cerr;
  env.err_is_terminal = isatty(STDERR_FILENO) == 1;
  env.clock = RealClock();
  env.interrupted = &interrupted;
  env.open_real_port = OpenRealPort;
  const int code = RunCli(std::vector<std::string>(argv + 1, argv + argc), env);
  std::cout.flush();
  return code;
}
