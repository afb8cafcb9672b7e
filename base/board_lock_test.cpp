#include "base/board_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "base/format.h"
#include "base/virtual_clock.h"
#include "testing/files.h"

namespace {

// Resource names of this test run only; their lock files are removed when
// the test program ends.
std::vector<std::string> Resources(const char* which) {
  static std::vector<std::string> made;
  struct Cleanup {
    ~Cleanup() { RemoveLockFiles(made); }
  };
  static Cleanup cleanup;
  made.push_back(Format("test-%ld-%s", static_cast<long>(getpid()), which));
  return {made.back()};
}

// A child process that takes `resources`, says so through a pipe and holds
// them until killed or until *release, the write end of another pipe, is
// closed.
pid_t HoldInChild(const std::vector<std::string>& resources, int* release) {
  int ready[2], done[2];
  EXPECT_EQ(0, pipe(ready));
  EXPECT_EQ(0, pipe(done));
  const pid_t pid = fork();
  if (pid == 0) {
    close(done[1]);
    std::string why;
    auto lock = BoardLock::Acquire(resources, RealClock(), 0, nullptr, &why);
    char byte = 0;
    if (write(ready[1], lock ? "y" : "n", 1) != 1 || !lock) _exit(1);
    while (read(done[0], &byte, 1) > 0) {
    }
    _exit(0);
  }
  close(done[0]);
  *release = done[1];
  char answer = 0;
  EXPECT_EQ(1, read(ready[0], &answer, 1));
  EXPECT_EQ('y', answer);
  close(ready[0]);
  close(ready[1]);
  return pid;
}

TEST(BoardLockTest, OneProcessAtATimeNamingTheHolder) {
  const std::vector<std::string> board = Resources("a");
  VirtualClock clock;
  EXPECT_FALSE(BoardLock::FindHolder(board));
  int release = -1;
  const pid_t holder = HoldInChild(board, &release);
  // Asked who holds it, without taking it: the holder, which keeps it.
  const auto found = BoardLock::FindHolder(board);
  ASSERT_TRUE(found);
  EXPECT_EQ(static_cast<unsigned long>(holder), found->pid);
  std::string why;
  EXPECT_EQ(nullptr, BoardLock::Acquire(board, &clock, 0, nullptr, &why));
  EXPECT_EQ(found->Text(), why);
  EXPECT_EQ(Format("process %ld (", static_cast<long>(holder)),
            why.substr(0, why.find('(') + 1));
  EXPECT_NE(std::string::npos, why.find("base_test")) << why;

  // Waiting polls until the time given, or until asked to stop.
  EXPECT_EQ(nullptr, BoardLock::Acquire(board, &clock, 1000, nullptr, &why));
  EXPECT_EQ(1000000u, clock.NowUs());
  int polls = 0;
  EXPECT_EQ(nullptr, BoardLock::Acquire(board, &clock, 60000,
                                        [&] { return ++polls == 3; }, &why));
  EXPECT_EQ(3, polls);

  // The lock dies with its process.
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  close(release);
  EXPECT_FALSE(BoardLock::FindHolder(board));
  EXPECT_NE(nullptr, BoardLock::Acquire(board, &clock, 0, nullptr, &why));
}

TEST(BoardLockTest, WaitsForTheHolderAndTakesEveryResourceOrNone) {
  const std::vector<std::string> card = Resources("card");
  const std::vector<std::string> both = {card[0], Resources("port")[0]};
  std::string why;
  int release = -1;
  const pid_t holder = HoldInChild({both[1]}, &release);
  // The card is free, the port is not: neither is kept.
  EXPECT_EQ(nullptr, BoardLock::Acquire(both, RealClock(), 0, nullptr, &why));
  EXPECT_NE(nullptr, BoardLock::Acquire(card, RealClock(), 0, nullptr, &why));
  // Released by its holder, told to at the first poll, while this one waits.
  const auto release_at_first_poll = [&] {
    if (release >= 0) close(release);
    release = -1;
    return false;
  };
  auto lock = BoardLock::Acquire(both, RealClock(), 60000,
                                 release_at_first_poll, &why);
  EXPECT_NE(nullptr, lock) << why;
  waitpid(holder, nullptr, 0);
  // Held by this process now: a second taker is refused.
  EXPECT_EQ(nullptr, BoardLock::Acquire(card, RealClock(), 0, nullptr, &why));
  lock.reset();
  EXPECT_NE(nullptr, BoardLock::Acquire(card, RealClock(), 0, nullptr, &why));
}

TEST(BoardLockTest, ResourceNames) {
  EXPECT_EQ((std::vector<std::string>{"rtl8139-c000", "parport-0378"}),
            BoardLock::ResourcesOfPorts(0xC000, 0x378));
  EXPECT_EQ(BoardLock::ResourcesOfFolder("/tmp/x/../board"),
            BoardLock::ResourcesOfFolder("/tmp/board"));
  EXPECT_NE(BoardLock::ResourcesOfFolder("/tmp/board"),
            BoardLock::ResourcesOfFolder("/tmp/board2"));
}

}  // namespace
