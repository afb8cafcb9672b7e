// The built tarnwick program running selftest on a pseudo-terminal, as a
// user at the board would: Enter goes on to the next line, Ctrl-C stops
// the check and leaves the board at rest.

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "testing/files.h"

namespace {

using Clock = std::chrono::steady_clock;

// Reads what the program shows on `terminal` into *screen until it holds
// `text` (empty: until the program closes it); false when that does not
// come within a generous bound (the machines running the tests are loaded).
bool WaitFor(int terminal, std::string* screen, const std::string& text) {
  const auto end = Clock::now() + std::chrono::seconds(60);
  while (text.empty() || screen->find(text) == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - Clock::now()).count();
    pollfd fd{terminal, POLLIN, 0};
    char buffer[4096];
    if (left <= 0 || poll(&fd, 1, static_cast<int>(left)) <= 0) return false;
    const ssize_t n = read(terminal, buffer, sizeof buffer);
    if (n <= 0) return text.empty();  // EIO once the program has closed it
    screen->append(buffer, static_cast<size_t>(n));
  }
  return true;
}

TEST(SelftestTerminalTest, EnterGoesOnAndCtrlCLeavesTheBoardAtRest) {
  const std::filesystem::path dir = FreshDir();
  Spill(dir / "board/simboard.ini", "chip = absent\n");
  const std::string board = (dir / "board").string();
  const std::string trace = (dir / "trace.txt").string();
  int terminal = -1;
  const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (pid == 0) {
    execl(TARNWICK_BINARY, TARNWICK_BINARY, "--sim", board.c_str(),
          "selftest", "--trace", trace.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(pid, 0);
  std::string screen;
  ASSERT_TRUE(WaitFor(terminal, &screen, " 1/26  address line A0")) << screen;
  ASSERT_EQ(1, write(terminal, "\r", 1));
  ASSERT_TRUE(WaitFor(terminal, &screen, " 2/26  address line A1")) << screen;
  ASSERT_EQ(1, write(terminal, "\x03", 1));  // Ctrl-C
  const bool ended = WaitFor(terminal, &screen, "");
  if (!ended) kill(pid, SIGKILL);
  EXPECT_TRUE(ended) << screen;
  close(terminal);
  int status = 0;
  ASSERT_EQ(pid, waitpid(pid, &status, 0));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 130) << screen;
  EXPECT_NE(std::string::npos,
            screen.find("interrupted; the board is left at rest"));
  EXPECT_EQ(std::string::npos, screen.find(" 3/26"));
  // Line A1 was held; then the control port at rest, the register, and
  // port access released.
  const std::string accesses = Slurp(trace);
  EXPECT_NE(std::string::npos, accesses.find("out C0D4 <- 2 (4)\n"));
  const size_t rest = accesses.rfind("out 378 <- 2 (1)\n");
  ASSERT_NE(std::string::npos, rest) << accesses;
  const std::string tail = accesses.substr(rest);
  EXPECT_NE(std::string::npos, tail.find("out C0D4 <- FF000000 (4)\n"));
  EXPECT_EQ(tail.size() - 6, tail.find("close\n")) << tail;
}

}  // namespace
