// tarnwick on Linux and other POSIX systems: real ports through the
// kernel's port I/O where the processor has it (refused elsewhere).

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include <atomic>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "link/linux_port_io.h"

namespace {

std::atomic<bool> interrupted{false};
// The first signal that asked the run to stop; 0 while none has.
std::atomic<int> stop_signal{0};
static_assert(std::atomic<int>::is_always_lock_free,
              "the signal handler sets it");

void OnStopSignal(int signal) {
  int first = 0;
  stop_signal.compare_exchange_strong(first, signal);
  interrupted = true;
  // A read of standard input under way ends on the signal; one about to
  // begin (selftest waiting for Enter) must not wait either, so standard
  // input ends here.
  const int saved_errno = errno;
  const int none = open("/dev/null", O_RDONLY);
  if (none >= 0) {
    dup2(none, STDIN_FILENO);
    close(none);
  }
  errno = saved_errno;
}

std::unique_ptr<PortIo> OpenRealPort(const BoardPorts& ports,
                                     const std::string&, std::string*) {
  return std::make_unique<LinuxPortIo>(RealPortInstructions(), ports);
}

}  // namespace

int main(int argc, char** argv) {
  // Ctrl-C, a closed terminal, a kill, Ctrl-\\ and a closed pipe all stop
  // the operation at the next address; the run then ends the log, releases
  // port access, saves a simulated chip and its trace, and exits with 128 +
  // the signal's number. Without SA_RESTART a blocking open or read (a FIFO
  // with no writer) ends on the signal too.
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE})
    sigaction(signal, &action, nullptr);

  CliEnv env;
  env.in = &std::cin;
  env.out = &std::cout;
  env.err = &std::cerr;
  env.out_is_terminal = isatty(STDOUT_FILENO) == 1;
  env.err_is_terminal = isatty(STDERR_FILENO) == 1;
  env.hold_fine_clock = HoldFineClockResolution;
  env.clock = RealClockWithoutYields();
  env.interrupted = &interrupted;
  env.stop_signal = &stop_signal;
  env.open_real_port = OpenRealPort;
  env.can_find_ports = true;
  // A signal makes the exit code 128 + its number (RunCli).
  const int code = RunCli(std::vector<std::string>(argv + 1, argv + argc), env);
  std::cout.flush();
  return code;
}
