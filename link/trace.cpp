#include "link/trace.h"

#include "base/format.h"

void Trace::Add(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  lines_.push_back(line);
}

void Trace::AddAt(uint64_t now_us, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!has_origin_) {
    has_origin_ = true;
    origin_us_ = now_us;
  }
  // Threads may stamp and add in either order; never show negative times.
  const uint64_t us = now_us > origin_us_ ? now_us - origin_us_ : 0;
  // Plain %u: a trace spanning 49 days would wrap, which is harmless.
  lines_.push_back(Format("%6u.%03u ms  %s", static_cast<unsigned>(us / 1000),
                          static_cast<unsigned>(us % 1000), text.c_str()));
}

std::vector<std::string> Trace::Lines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

std::vector<std::string> Trace::TakeLines() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> taken;
  taken.swap(lines_);
  return taken;
}

void Trace::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  lines_.clear();
  has_origin_ = false;
  origin_us_ = 0;
}
