#ifndef TARNWICK_TESTING_INTERRUPTING_CLOCK_H_
#define TARNWICK_TESTING_INTERRUPTING_CLOCK_H_

#include <atomic>
#include <cstdint>
#include <functional>
#include <utility>

#include "base/virtual_clock.h"

// A virtual clock that presses Ctrl-C (sets `interrupted`) once a sleep
// reaches `interrupt_at_us`, or at the `interrupt_at_call`th look at the
// time (the simulated board looks at every port access); and runs `then`
// once a sleep reaches `then_at_us`.
struct InterruptingClock : VirtualClock {
  uint64_t interrupt_at_us = UINT64_MAX;
  uint64_t interrupt_at_call = UINT64_MAX;
  uint64_t calls = 0;
  uint64_t then_at_us = UINT64_MAX;
  std::function<void()> then;
  std::atomic<bool> interrupted{false};
  void SleepMs(uint32_t ms) override {
    VirtualClock::SleepMs(ms);
    interrupted = interrupted || NowUs() >= interrupt_at_us;
    if (then && NowUs() >= then_at_us) std::exchange(then, nullptr)();
  }
  uint64_t NowUs() override {
    interrupted = interrupted || ++calls >= interrupt_at_call;
    return VirtualClock::NowUs();
  }
};

#endif  // TARNWICK_TESTING_INTERRUPTING_CLOCK_H_
