#ifndef TARNWICK_TESTING_INTERRUPTING_CLOCK_H_
#define TARNWICK_TESTING_INTERRUPTING_CLOCK_H_

#include <atomic>
#include <cstdint>

#include "base/virtual_clock.h"

// A virtual clock that presses Ctrl-C (sets `interrupted`) once its time
// reaches `interrupt_at_us`.
struct InterruptingClock : VirtualClock {
  uint64_t interrupt_at_us = UINT64_MAX;
  std::atomic<bool> interrupted{false};
  void SleepMs(uint32_t ms) override {
    VirtualClock::SleepMs(ms);
    interrupted = interrupted || NowUs() >= interrupt_at_us;
  }
};

#endif  // TARNWICK_TESTING_INTERRUPTING_CLOCK_H_
