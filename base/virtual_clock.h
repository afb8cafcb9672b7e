#ifndef TARNWICK_BASE_VIRTUAL_CLOCK_H_
#define TARNWICK_BASE_VIRTUAL_CLOCK_H_

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "base/clock.h"

// A clock for tests: sleeping advances virtual time at once, so thousands of
// chip cycles run in milliseconds, and every sleep is kept for inspection.
class VirtualClock : public Clock {
 public:
  // Advances time by `ms` milliseconds (0: by nothing) and records the sleep.
  void SleepMs(uint32_t ms) override;
  uint64_t NowUs() override { return now_us_.load(); }

  // Moves time forward without recording a sleep.
  void AdvanceUs(uint64_t us) { now_us_ += us; }

  // Every sleep so far, in order.
  std::vector<uint32_t> Sleeps() const;

 private:
  std::atomic<uint64_t> now_us_{0};
  mutable std::mutex mutex_;
  std::vector<uint32_t> sleeps_;
};

#endif  // TARNWICK_BASE_VIRTUAL_CLOCK_H_
