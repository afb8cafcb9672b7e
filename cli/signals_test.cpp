// The built tarnwick program, run as a process of its own on a simulated
// board and stopped by real signals mid-write and while it waits to read a
// FIFO.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "testing/files.h"

namespace {

namespace fs = std::filesystem;

// Starts tarnwick with `args`, its output in `dir`/out.txt; returns its pid.
pid_t Start(const fs::path& dir, const std::vector<std::string>& args) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open((dir / "out.txt").c_str(),
                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
    std::vector<char*> argv{const_cast<char*>(TARNWICK_BINARY)};
    for (const std::string& arg : args)
      argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(TARNWICK_BINARY, argv.data());
    _exit(127);
  }
  return pid;
}

int ExitCode(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
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
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
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
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  kill(pid, SIGTERM);
  EXPECT_EQ(128 + SIGTERM, ExitCode(pid)) << Slurp(dir / "out.txt");
}

}  // namespace
