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
// them until killed or for `hold_ms`.
pid_t HoldInChild(const std::vector<std::string>& resources,
                  uint32_t hold_ms) {
  int ready[2];
  EXPECT_EQ(0, pipe(ready));
  const pid_t pid = fork();
  if (pid == 0) {
    std::string why;
    auto lock = BoardLock::Acquire(resources, RealClock(), 0, nullptr, &why);
    if (write(ready[1], lock ? "y" : "n", 1) != 1 || !lock) _exit(1);
    RealClock()->SleepMs(hold_ms);
    _exit(0);
  }
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
  const pid_t holder = HoldInChild(board, 60000);
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
  EXPECT_FALSE(BoardLock::FindHolder(board));
  EXPECT_NE(nullptr, BoardLock::Acquire(board, &clock, 0, nullptr, &why));
}

TEST(BoardLockTest, WaitsForTheHolderAndTakesEveryResourceOrNone) {
  const std::vector<std::string> card = Resources("card");
  const std::vector<std::string> both = {card[0], Resources("port")[0]};
  std::string why;
  const pid_t holder = HoldInChild({both[1]}, 300);
  // The card is free, the port is not: neither is kept.
  EXPECT_EQ(nullptr, BoardLock::Acquire(both, RealClock(), 0, nullptr, &why));
  EXPECT_NE(nullptr, BoardLock::Acquire(card, RealClock(), 0, nullptr, &why));
  // Released by its holder while this one waits.
  auto lock = BoardLock::Acquire(both, RealClock(), 5000, nullptr, &why);
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
