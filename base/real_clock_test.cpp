#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "base/clock.h"

namespace {

int Policy() {
  int policy = -1;
  sched_param param = {};
  pthread_getschedparam(pthread_self(), &policy, &param);
  return policy & ~SCHED_RESET_ON_FORK;
}

// The thread holding the clock runs at a real-time priority where it may
// (root here), its children and its other threads do not, and all is as
// before once the hold ends.
TEST(RealClockTest, HoldRaisesOnlyTheHoldingThreadWhileItLasts) {
  std::thread([] {
    const int before = Policy();
    {
      auto hold = HoldFineClockResolution();
      if (geteuid() == 0) {
        EXPECT_EQ(SCHED_FIFO, Policy());
      }
      int other = -1;
      std::thread([&] { other = sched_getscheduler(0); }).join();
      EXPECT_NE(SCHED_FIFO, other & ~SCHED_RESET_ON_FORK);
      const pid_t child = fork();
      if (child == 0) _exit(sched_getscheduler(0) == SCHED_OTHER ? 0 : 1);
      int status = -1;
      ASSERT_EQ(child, waitpid(child, &status, 0));
      EXPECT_EQ(0, WEXITSTATUS(status)) << "the child kept the priority";
    }
    EXPECT_EQ(before, Policy());
  }).join();
}

}  // namespace
