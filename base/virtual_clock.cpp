#include "base/virtual_clock.h"

void VirtualClock::SleepMs(uint32_t ms) {
  now_us_ += static_cast<uint64_t>(ms) * 1000u;
  std::lock_guard<std::mutex> lock(mutex_);
  sleeps_.push_back(ms);
}

std::vector<uint32_t> VirtualClock::Sleeps() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return sleeps_;
}
