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

// The real clock without its yields: a 0 ms sleep returns at once. The
// command line's: on real hardware a yield between port accesses buys no
// time, and on a busy machine each one costs a whole time slice. Never
// null.
Clock* RealClockWithoutYields();

// While one lives, the real clock's millisecond sleeps last a millisecond,
// not a system tick, even when other programs keep every processor busy.
// On Windows without a high-resolution timer it raises the system's timer
// resolution to 1 ms (15.6 ms by default). The thread that made it runs
// at a raised priority: on Linux a real-time one (SCHED_FIFO, not passed
// on to child processes) where the user may have it (root, or
// CAP_SYS_NICE), otherwise unchanged; on Windows the highest of its
// process. Everything returns to what it was when it is destroyed, which
// must happen on the same thread.
class ClockResolution {
 public:
  virtual ~ClockResolution() = default;
};

// Holds the real clock at 1 ms, and the calling thread's priority raised,
// for the life of the object returned.
std::unique_ptr<ClockResolution> HoldFineClockResolution();

#endif  // TARNWICK_BASE_CLOCK_H_
