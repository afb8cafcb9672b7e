#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <time.h>

#include "base/clock.h"

namespace {

class PosixClock : public Clock {
 public:
  void SleepMs(uint32_t ms) override {
    if (ms == 0) {
      sched_yield();
      return;
    }
    // The default 50 us timer slack would add about 5% to a 1 ms sleep;
    // the slack is per thread, so set it on each sleeping thread once.
    thread_local bool slack_set = false;
    if (!slack_set) {
      prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
      slack_set = true;
    }
    timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += ms / 1000;
    deadline.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
      deadline.tv_sec += 1;
      deadline.tv_nsec -= 1000000000L;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline,
                           nullptr) != 0) {
      // Interrupted by a signal: sleep on to the same deadline.
    }
  }

  uint64_t NowUs() override {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000u +
           static_cast<uint64_t>(now.tv_nsec) / 1000u;
  }
};

// A real-time priority above every ordinary process, below the kernel's
// own threads (50): the board's sleeps wake on time however busy the
// machine is, and the thread sleeps almost all of the time.
constexpr int kRealTimePriority = 10;

// The calling thread at kRealTimePriority while it lives, where allowed.
class RealTimeThread : public ClockResolution {
 public:
  RealTimeThread() : thread_(pthread_self()) {
    if (pthread_getschedparam(thread_, &policy_, &param_) != 0) return;
    sched_param raised = {};
    raised.sched_priority = kRealTimePriority;
    raised_ = pthread_setschedparam(thread_, SCHED_FIFO | SCHED_RESET_ON_FORK,
                                    &raised) == 0;
  }
  ~RealTimeThread() override {
    if (raised_) pthread_setschedparam(thread_, policy_, &param_);
  }

 private:
  pthread_t thread_;
  int policy_ = SCHED_OTHER;
  sched_param param_ = {};
  bool raised_ = false;
};

}  // namespace

Clock* RealClock() {
  static PosixClock clock;
  return &clock;
}

std::unique_ptr<ClockResolution> HoldFineClockResolution() {
  return std::make_unique<RealTimeThread>();
}
