#include "link/trace.h"

#include "base/format.h"

namespace {

// Sent in blocks of this size, or when this much stamped time has passed.
constexpr size_t kBlockBytes = 64 * 1024;
constexpr uint64_t kSendEveryUs = 100000;

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos;
       start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

}  // namespace

void Trace::Add(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  Take(line, sent_us_);
}

void Trace::AddAt(uint64_t now_us, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (cut_) return;  // nothing is formatted past the limit
  if (!has_origin_) {
    has_origin_ = true;
    origin_us_ = now_us;
    sent_us_ = now_us;
  }
  // Threads may stamp and add in either order; never show negative times.
  const uint64_t us = now_us > origin_us_ ? now_us - origin_us_ : 0;
  // Plain %u: a trace spanning 49 days would wrap, which is harmless.
  Take(Format("%6u.%03u ms  %s", static_cast<unsigned>(us / 1000),
              static_cast<unsigned>(us % 1000), text.c_str()),
       now_us);
}

void Trace::Take(const std::string& line, uint64_t now_us) {
  if (cut_) return;
  // Room is kept for the note, so that the trace never passes the limit.
  if (taken_bytes_ + line.size() + 1 + limit_note_.size() > limit_) {
    cut_ = true;
    if (taken_bytes_ + limit_note_.size() <= limit_) {
      held_ += limit_note_;
      taken_bytes_ += limit_note_.size();
    }
    Send();
    return;
  }
  held_ += line;
  held_ += '\n';
  taken_bytes_ += line.size() + 1;
  if (output_ != nullptr &&
      (held_.size() >= kBlockBytes || now_us >= sent_us_ + kSendEveryUs)) {
    Send();
    sent_us_ = now_us;
  }
}

void Trace::Send() {
  if (output_ == nullptr || held_.empty()) return;
  if (!output_failed_ && !output_->Write(held_)) output_failed_ = true;
  held_.clear();
}

void Trace::SetLimit(uint64_t bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  limit_ = bytes;
  limit_note_ = Format("trace stops here: its limit of %llu bytes is reached\n",
                       static_cast<unsigned long long>(bytes));
}

bool Trace::cut() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cut_;
}

void Trace::SendTo(TraceOutput* output) {
  std::lock_guard<std::mutex> lock(mutex_);
  output_ = output;
  output_failed_ = false;
  Send();
}

bool Trace::Flush() {
  std::lock_guard<std::mutex> lock(mutex_);
  Send();
  return !output_failed_;
}

std::vector<std::string> Trace::Lines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return SplitLines(held_);
}

std::vector<std::string> Trace::TakeLines() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> taken = SplitLines(held_);
  held_.clear();
  return taken;
}
