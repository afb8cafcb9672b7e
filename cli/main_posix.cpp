// tarnwick on Linux and other POSIX systems: real ports through the
// kernel's port I/O where the processor has it (refused elsewhere).

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "link/linux_port_io.h"

namespace {

std::atomic<bool> interrupted{false};

void OnInterrupt(int) { interrupted = true; }

std::unique_ptr<PortIo> OpenRealPort(std::string*) {
  return std::make_unique<LinuxPortIo>(RealPortInstructions());
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
  env.can_find_ports = true;
  const int code = RunCli(std::vector<std::string>(argv + 1, argv + argc), env);
  std::cout.flush();
  return code;
}
