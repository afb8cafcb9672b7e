#ifndef TARNWICK_LINK_TRACE_H_
#define TARNWICK_LINK_TRACE_H_

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// Where a trace's text goes once it is sent there (Trace::SendTo): a file
// written as the run goes (link/trace_file.h).
class TraceOutput {
 public:
  virtual ~TraceOutput() = default;
  // Takes whole lines, each ended by "\n". False when they could not all
  // be written.
  virtual bool Write(const std::string& text) = 0;
};

// Lines of text recording port accesses (a TracingPort, or the simulated
// board's own) and the sleeps between them (a TracingClock), each with its
// virtual or real time. Kept in memory until sent to an output, then
// written out as they come, so that its memory stays bounded however long
// the run. Thread-safe.
class Trace {
 public:
  // Adds `line` as it is.
  void Add(const std::string& line);

  // Adds `text` stamped with its time in milliseconds since the first
  // stamped line, e.g. "    12.345 ms  in C0D7 -> 5A".
  void AddAt(uint64_t now_us, const std::string& text);

  // Bounds the trace to `bytes` in all (its lines with their line breaks),
  // kept and sent alike: the line that would pass the limit is replaced by
  // one saying that the trace stops there, and no line is taken after it.
  void SetLimit(uint64_t bytes);

  // Whether the limit cut the trace short.
  bool cut() const;

  // From now on the lines go to `output` (null: they are kept again): those
  // kept so far at once, later ones in blocks of about 64 KB and at least
  // every 100 ms of the stamped time, so that a run killed midway leaves
  // its trace up to shortly before. `output` must outlive its use here.
  void SendTo(TraceOutput* output);

  // Writes what is held back to the output. False when a write to the
  // output has failed since SendTo; the lines it lost are dropped.
  bool Flush();

  // The lines kept, not sent.
  std::vector<std::string> Lines() const;

  // Removes and returns the lines kept, keeping the time origin, so that a
  // trace taken in parts keeps one time scale.
  std::vector<std::string> TakeLines();

 private:
  // Appends `line` and its line break, or the note of the limit.
  void Take(const std::string& line, uint64_t now_us);
  void Send();

  mutable std::mutex mutex_;
  std::string held_;  // whole lines not yet sent
  uint64_t taken_bytes_ = 0;
  uint64_t limit_ = UINT64_MAX;
  std::string limit_note_;  // the last line of a trace the limit cuts
  bool cut_ = false;
  bool has_origin_ = false;
  uint64_t origin_us_ = 0;
  TraceOutput* output_ = nullptr;
  bool output_failed_ = false;
  uint64_t sent_us_ = 0;  // the stamped time of the last send
};

#endif  // TARNWICK_LINK_TRACE_H_
