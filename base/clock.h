#ifndef TARNWICK_BASE_CLOCK_H_
#define TARNWICK_BASE_CLOCK_H_

#include <cstdint>
#include <memory>

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

// While one lives, the real clock's millisecond sleeps last a millisecond,
// not a system tick: on Windows without a high-resolution timer it raises
// the system's timer resolution to 1 ms (15.6 ms by default) and lowers it
// again when destroyed. Elsewhere it changes nothing.
class ClockResolution {
 public:
  virtual ~ClockResolution() = default;
};

// Holds the real clock at 1 ms for the life of the object returned.
std::unique_ptr<ClockResolution> HoldFineClockResolution();

#endif  // TARNWICK_BASE_CLOCK_H_
