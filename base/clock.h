#ifndef TARNWICK_BASE_CLOCK_H_
#define TARNWICK_BASE_CLOCK_H_

#include <cstdint>

// The time seam. Chip timing is made only of millisecond sleeps, so every
// wait the program does goes through SleepMs and can be checked in tests.
class Clock {
 public:
  virtual ~Clock() = default;

  // Sleeps at least `ms` milliseconds; 0 gives up the rest of the time slice.
  virtual void SleepMs(uint32_t ms) = 0;

  // Microseconds since a fixed, arbitrary origin; never goes backwards.
  virtual uint64_t NowUs() = 0;
};

// The process-wide clock backed by the platform's sleep. Never null.
Clock* RealClock();

#endif  // TARNWICK_BASE_CLOCK_H_
