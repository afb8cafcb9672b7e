// The built tarnwick program running selftest on a pseudo-terminal, as a
// user at the board would: Enter goes on to the next line, Ctrl-C stops
// the check and leaves the board at rest.

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "testing/files.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Generous: the machines running the tests are loaded.
constexpr auto kBound = std::chrono::seconds(60);

class Terminal {
 public:
  explicit Terminal(const fs::path& dir) {
    pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ == 0) {
      const std::string board = (dir / "board").string();
      const std::string trace = (dir / "trace.txt").string();
      execl(TARNWICK_BINARY, TARNWICK_BINARY, "--sim", board.c_str(),
            "selftest", "--trace", trace.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~Terminal() {
    if (master_ >= 0) close(master_);
  }

  // Reads what the program shows until it has shown `text`; false when it
  // does not within the bound.
  bool WaitFor(const std::string& text) {
    const auto end = Clock::now() + kBound;
    while (screen_.find(text) == std::string::npos) {
      if (Clock::now() >= end || !ReadSome(end)) return false;
    }
    return true;
  }
  void Type(const std::string& keys) {
    ASSERT_EQ(static_cast<ssize_t>(keys.size()),
              write(master_, keys.data(), keys.size()));
  }
  // Reads to the end of the output, then the exit code (1000 + signal when
  // killed; -1 when it does not end within the bound).
  int ExitCode() {
    const auto end = Clock::now() + kBound;
    while (Clock::now() < end && ReadSome(end)) {
    }
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (Clock::now() >= end) return -1;
      poll(nullptr, 0, 10);  // the output has ended; the exit is due
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
  }
  const std::string& screen() const { return screen_; }
  bool started() const { return pid_ > 0 && master_ >= 0; }

 private:
  // Waits for output up to `end`; false at its end (or the bound's).
  bool ReadSome(Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - Clock::now());
    pollfd fd{master_, POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(std::max<long>(left.count(), 0))) <= 0)
      return false;
    char buffer[4096];
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) return false;  // EIO once the program has closed it
    screen_.append(buffer, static_cast<size_t>(n));
    return true;
  }

  pid_t pid_ = -1;
  int master_ = -1;
  std::string screen_;
};

TEST(SelftestTerminalTest, EnterGoesOnAndCtrlCLeavesTheBoardAtRest) {
  const fs::path dir = FreshDir();
  Spill(dir / "board/simboard.ini", "chip = absent\n");
  Terminal terminal(dir);
  ASSERT_TRUE(terminal.started());
  ASSERT_TRUE(terminal.WaitFor(" 1/26  address line A0")) << terminal.screen();
  terminal.Type("\r");
  ASSERT_TRUE(terminal.WaitFor(" 2/26  address line A1")) << terminal.screen();
  terminal.Type("\x03");
  EXPECT_EQ(130, terminal.ExitCode()) << terminal.screen();
  EXPECT_NE(std::string::npos,
            terminal.screen().find("interrupted; the board is left at rest"));
  EXPECT_EQ(std::string::npos, terminal.screen().find(" 3/26"));
  // The last accesses: the control port at rest, then the register, then
  // port access released.
  const std::string trace = Slurp(dir / "trace.txt");
  const size_t rest = trace.rfind("out 378 <- 2 (1)\n");
  ASSERT_NE(std::string::npos, rest) << trace;
  const std::string tail = trace.substr(rest);
  EXPECT_NE(std::string::npos, tail.find("out C0D4 <- FF000000 (4)\n"));
  EXPECT_EQ(tail.size() - 6, tail.find("close\n")) << tail;
  // The second line (A1) was held before the stop.
  EXPECT_NE(std::string::npos, trace.find("out C0D4 <- 2 (4)\n"));
}

}  // namespace
