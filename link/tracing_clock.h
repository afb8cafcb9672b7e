#ifndef TARNWICK_LINK_TRACING_CLOCK_H_
#define TARNWICK_LINK_TRACING_CLOCK_H_

#include <cstdint>

#include "base/clock.h"
#include "link/trace.h"

// A clock that forwards to another and adds a "sleep N" line to a trace
// before each sleep, so that a trace shows port accesses and sleeps
// interleaved as the cycles issue them.
class TracingClock : public Clock {
 public:
  // `inner` and `trace` must outlive this clock.
  TracingClock(Clock* inner, Trace* trace) : inner_(inner), trace_(trace) {}

  void SleepMs(uint32_t ms) override;
  uint64_t NowUs() override { return inner_->NowUs(); }

 private:
  Clock* inner_;
  Trace* trace_;
};

#endif  // TARNWICK_LINK_TRACING_CLOCK_H_
