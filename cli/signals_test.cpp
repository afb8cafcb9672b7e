// The built tarnwick program, run as a process of its own on a simulated
// board and stopped by real signals mid-write and while it waits to read a
// FIFO.

#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "testing/files.h"

namespace {

namespace fs = std::filesystem;

// Bounds of the waits below: far beyond what a run needs, even on a loaded
// machine under the sanitizers (a whole-chip read has taken 2 s there).
constexpr int kStartMs = 120000;
constexpr int kEndMs = 60000;

// A tarnwick run with `args`, its standard output and error on a
// pseudo-terminal, so that it draws its progress bar as it goes.
class TarnwickRun {
 public:
  explicit TarnwickRun(const std::vector<std::string>& args) {
    int terminal = -1;
    if (openpty(&master_, &terminal, nullptr, nullptr, nullptr) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(terminal, STDOUT_FILENO);
      dup2(terminal, STDERR_FILENO);
      std::vector<char*> argv{const_cast<char*>(TARNWICK_BINARY)};
      for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      execv(TARNWICK_BINARY, argv.data());
      _exit(127);
    }
    close(terminal);
  }
  ~TarnwickRun() {
    if (pid_ > 0 && !ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
  }

  pid_t pid() const { return pid_; }
  // What it printed so far.
  const std::string& output() const { return output_; }

  // Waits up to `ms` for `text` to appear in what it prints.
  bool WaitFor(const std::string& text, int ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (output_.find(text) == std::string::npos) {
      if (Clock::now() >= deadline || !Read(50)) return false;
    }
    return true;
  }

  // Waits up to `ms` for it to end: its exit code, 1000 + the signal that
  // killed it, or -1 when it was still running (it is killed then).
  int ExitCode(int ms) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) != pid_) {
      if (Clock::now() >= deadline) return -1;
      Read(50);
    }
    ended_ = true;
    while (Read(0)) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
  }

 private:
  using Clock = std::chrono::steady_clock;

  // Reads what it printed, waiting up to `ms` for some; false once it
  // has closed the terminal, or when nothing came.
  bool Read(int ms) {
    pollfd in = {master_, POLLIN, 0};
    if (poll(&in, 1, ms) <= 0) return ms > 0;
    char buffer[4096];
    const ssize_t got = read(master_, buffer, sizeof buffer);
    if (got <= 0) return false;
    output_.append(buffer, static_cast<size_t>(got));
    return true;
  }

  pid_t pid_ = -1;
  int master_ = -1;
  bool ended_ = false;
  std::string output_;
};

// Each stopping signal mid-write: the run stops at the next address, ends
// the log, saves the simulated chip and the trace, and exits 128 + the
// signal's number.
TEST(SignalsTest, StopMidWriteAndKeepTheRecord) {
  for (const int signal : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM}) {
    SCOPED_TRACE(strsignal(signal));
    const fs::path dir = FreshDir(std::to_string(signal));
    // 4 KB of zeros onto an erased chip: about 13 s of programming.
    Spill(dir / "zeros.bin", std::string(4096, '\0'));
    TarnwickRun run({"--sim", (dir / "board").string(), "write",
                     (dir / "zeros.bin").string(), "--log",
                     (dir / "bad.log").string(), "--trace",
                     (dir / "trace.txt").string()});
    // The bar's first "program" line comes once the first byte is written.
    ASSERT_TRUE(run.WaitFor("\rprogram", kStartMs)) << run.output();
    kill(run.pid(), signal);
    EXPECT_EQ(128 + signal, run.ExitCode(kEndMs)) << run.output();
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

// True while process `pid` sleeps in a read of `file` (the kernel shows
// the system call a sleeping process is in, and its arguments).
bool BlockedReading(pid_t pid, const fs::path& file) {
  const fs::path proc = "/proc/" + std::to_string(pid);
  std::ifstream syscall(proc / "syscall");
  long number = -1;
  std::string fd;
  if (!(syscall >> number >> fd) || number != SYS_read) return false;
  const long fd_number = std::stol(fd, nullptr, 16);
  std::error_code ec;
  return fs::read_symlink(proc / "fd" / std::to_string(fd_number), ec) == file;
}

// Waiting for a FIFO that nobody writes ends on the signal too.
TEST(SignalsTest, StopWhileWaitingForAFifo) {
  const fs::path dir = FreshDir();
  const fs::path fifo = dir / "image.hex";
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  TarnwickRun run({"--sim", (dir / "board").string(), "write", fifo.string()});
  // Held open for writing, never written: the run waits in its read. The
  // signal must come once it waits there, not on its way.
  int writer = -1;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (writer < 0) writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0 && BlockedReading(run.pid(), fifo)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(writer >= 0 && BlockedReading(run.pid(), fifo)) << run.output();
  kill(run.pid(), SIGTERM);
  EXPECT_EQ(128 + SIGTERM, run.ExitCode(kEndMs)) << run.output();
  close(writer);
}

}  // namespace
