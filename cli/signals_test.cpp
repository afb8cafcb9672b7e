// The built tarnwick program, run as a process of its own on a simulated
// board and stopped by real signals mid-write, while it waits to read a
// FIFO and while it reads standard input. Each signal is sent once the
// state it needs is seen, never after a fixed time.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/syscall.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "testing/files.h"

namespace {

namespace fs = std::filesystem;

// Starts tarnwick with `args`, its output in `dir`/out.txt and its input
// `in` (when given); returns its pid.
pid_t Start(const fs::path& dir, const std::vector<std::string>& args,
            int in = -1) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open((dir / "out.txt").c_str(),
                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
    if (in >= 0) dup2(in, STDIN_FILENO);
    std::vector<char*> argv{const_cast<char*>(TARNWICK_BINARY)};
    for (const std::string& arg : args)
      argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(TARNWICK_BINARY, argv.data());
    _exit(127);
  }
  return pid;
}

// Waits up to `seconds` (generous: the machine may be loaded) for `ready`.
bool WaitFor(const std::function<bool()>& ready, double seconds = 60) {
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration<double>(seconds);
  while (!ready()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// The exit code of `pid`, or 1000 + the signal that ended it; -1, after
// killing it, when it has not ended within `seconds`.
int ExitCode(pid_t pid, double seconds = 60) {
  int status = 0;
  if (!WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; },
               seconds)) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

// Whether `pid` waits in the system call `number` (on descriptor `fd`, when
// given), as /proc/PID/syscall tells.
bool WaitsIn(pid_t pid, long number, long fd = -1) {
  long call = -1;
  unsigned long first = 0;
  FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/syscall").c_str(),
                       "r");
  if (f == nullptr) return false;
  const int n = std::fscanf(f, "%ld 0x%lx", &call, &first);
  std::fclose(f);
  return n >= 1 && call == number &&
         (fd < 0 || (n == 2 && first == static_cast<unsigned long>(fd)));
}

// Each stopping signal mid-write: the run stops at the next address, ends
// the log, saves the simulated chip and the trace, and exits 128 + the
// signal's number.
TEST(SignalsTest, StopMidWriteAndKeepTheRecord) {
  for (const int signal : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM}) {
    SCOPED_TRACE(strsignal(signal));
    const fs::path dir = FreshDir(std::to_string(signal));
    // 4 KB of zeros onto an erased chip: about 13 s of programming.
    Spill(dir / "zeros.bin", std::string(4096, '\0'));
    const pid_t pid =
        Start(dir, {"--sim", (dir / "board").string(), "write",
                    (dir / "zeros.bin").string(), "--log",
                    (dir / "bad.log").string(), "--trace",
                    (dir / "trace.txt").string()});
    // Programming has begun once the trace, written as the run goes,
    // shows a program pulse.
    ASSERT_TRUE(WaitFor([&] {
      return Slurp(dir / "trace.txt").find("out 378 <- 5 (1)") !=
             std::string::npos;
    })) << Slurp(dir / "out.txt");
    kill(pid, signal);
    EXPECT_EQ(128 + signal, ExitCode(pid)) << Slurp(dir / "out.txt");
    const std::string log = Slurp(dir / "bad.log");
    // The log's texts are GBK, as the compiler writes these literals.
    EXPECT_EQ(0u, log.find("坏块记录开始:\r\n"));
    const std::string end = "坏块记录结束:\r\n";
    ASSERT_GE(log.size(), end.size());
    EXPECT_EQ(end, log.substr(log.size() - end.size()));
    // Partly programmed, and saved so.
    const std::string chip = Slurp(dir / "board" / "simchip.bin");
    ASSERT_EQ(4096u, chip.size());
    EXPECT_EQ('\0', chip[0]);
    EXPECT_EQ('\xFF', chip[4095]);
    EXPECT_NE(std::string::npos, Slurp(dir / "trace.txt").find("sleep"));
  }
}

// Waiting for a FIFO that nobody writes ends on the signal too.
TEST(SignalsTest, StopWhileWaitingForAFifo) {
  const fs::path dir = FreshDir();
  ASSERT_EQ(0, mkfifo((dir / "image.hex").c_str(), 0600));
  const pid_t pid = Start(dir, {"--sim", (dir / "board").string(), "write",
                                (dir / "image.hex").string()});
  ASSERT_TRUE(WaitFor([&] { return WaitsIn(pid, SYS_openat); }));
  kill(pid, SIGTERM);
  EXPECT_EQ(128 + SIGTERM, ExitCode(pid, 10)) << Slurp(dir / "out.txt");
}

// Standard input that never ends is refused at the size limit of a file,
// and a stop signal ends a read that waits for more at once.
TEST(SignalsTest, StandardInputIsBoundedAndStops) {
  const fs::path dir = FreshDir();
  const int zero = open("/dev/zero", O_RDONLY);
  pid_t pid = Start(dir, {"--sim", (dir / "board").string(), "write", "-"},
                    zero);
  close(zero);
  EXPECT_EQ(2, ExitCode(pid)) << Slurp(dir / "out.txt");
  EXPECT_NE(std::string::npos, Slurp(dir / "out.txt").find("more than"));
  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(strsignal(signal));
    int pipe_ends[2];
    ASSERT_EQ(0, pipe(pipe_ends));
    pid = Start(dir, {"--sim", (dir / "board").string(), "verify", "-"},
                pipe_ends[0]);
    close(pipe_ends[0]);
    ASSERT_EQ(3, write(pipe_ends[1], "S1\n", 3));
    ASSERT_TRUE(WaitFor([&] { return WaitsIn(pid, SYS_read, 0); }));
    kill(pid, signal);
    EXPECT_EQ(128 + signal, ExitCode(pid, 10)) << Slurp(dir / "out.txt");
    close(pipe_ends[1]);
  }
}

}  // namespace
