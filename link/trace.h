#ifndef TARNWICK_LINK_TRACE_H_
#define TARNWICK_LINK_TRACE_H_

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// Lines of text recording port accesses (a TracingPort, or the simulated
// board's own) and the sleeps between them (a TracingClock), each with its
// virtual or real time. Thread-safe.
class Trace {
 public:
  // Adds `line` as it is.
  void Add(const std::string& line);

  // Adds `text` stamped with its time in milliseconds since the first
  // stamped line, e.g. "    12.345 ms  in C0D7 -> 5A".
  void AddAt(uint64_t now_us, const std::string& text);

  std::vector<std::string> Lines() const;

  // Removes and returns every line so far, keeping the time origin, so that
  // a trace written out in parts keeps one time scale.
  std::vector<std::string> TakeLines();

  // Forgets every line and the time origin.
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  bool has_origin_ = false;
  uint64_t origin_us_ = 0;
};

#endif  // TARNWICK_LINK_TRACE_H_
