#include <windows.h>

#include "base/clock.h"

namespace {

class Win32Clock : public Clock {
 public:
  Win32Clock() { QueryPerformanceFrequency(&frequency_); }

  void SleepMs(uint32_t ms) override { Sleep(ms); }

  uint64_t NowUs() override {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const uint64_t ticks = static_cast<uint64_t>(now.QuadPart);
    const uint64_t freq = static_cast<uint64_t>(frequency_.QuadPart);
    return ticks / freq * 1000000u + ticks % freq * 1000000u / freq;
  }

 private:
  LARGE_INTEGER frequency_;
};

}  // namespace

Clock* RealClock() {
  static Win32Clock clock;
  return &clock;
}
