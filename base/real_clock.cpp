#include "base/clock.h"

namespace {

// The real clock, its 0 ms sleeps skipped.
class WithoutYields : public Clock {
 public:
  void SleepMs(uint32_t ms) override {
    if (ms != 0) RealClock()->SleepMs(ms);
  }
  uint64_t NowUs() override { return RealClock()->NowUs(); }
};

}  // namespace

Clock* RealClockWithoutYields() {
  static WithoutYields clock;
  return &clock;
}
