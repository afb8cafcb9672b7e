#ifndef TARNWICK_CLI_EVENTS_H_
#define TARNWICK_CLI_EVENTS_H_

#include <cstdint>
#include <mutex>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "base/clock.h"
#include "chip/failure_analysis.h"
#include "chip/parts.h"
#include "chip/progress.h"
#include "image/checksum.h"
#include "image/image_file.h"

// The members of one --json event, in the order they were added.
using EventFields = nlohmann::ordered_json;

// The events' schema version: every event's "v". Adding members or events
// keeps it; removing or renaming any changes it.
constexpr int kEventsVersion = 1;

// A result event lists this many failing addresses at most.
constexpr size_t kEventFailures = 100;

// A run's --json events: one JSON object a line on `out`, each line
// flushed as it is written. A string that is not valid UTF-8 (a file name)
// is carried with U+FFFD in place of each bad byte. Any thread may write.
class EventStream {
 public:
  // `out` and `clock` must outlive the stream; "t" counts from now.
  EventStream(std::ostream& out, Clock* clock);

  // Writes {"v": 1, "event": name, "t": seconds (to the millisecond),
  // "board": board (when not empty), then the members of `fields`}.
  void Write(const char* name, const EventFields& fields,
             const std::string& board = "");

 private:
  std::mutex mutex_;
  std::ostream& out_;
  Clock* clock_;
  const uint64_t start_us_;
};

// The members of the events that carry these facts.
// "progress": stage, done, total, address.
EventFields ProgressFields(const Progress& p);
// "failure": stage, address, expected, actual.
EventFields FailureFields(const ByteFailure& f);
// "image": file, format, bytes_given, first and last (when a byte is
// given), size, sum16, crc32, file_sum16.
EventFields ImageFields(const std::string& file, ImageFormat format,
                        const ImageChecksums& sums);
// "signature": bytes, part (null when none), size (0 when none), verdict.
EventFields SignatureFields(const Signature& s, const char* part, uint32_t size,
                            const char* verdict);
// Adds to a result the first kEventFailures `failures` (address, expected,
// actual) and, when there are any, "bits": what they point at.
void AddFailures(const std::vector<ByteFailure>& failures,
                 const FailureAnalysis& analysis, EventFields* result);

// `seconds` to the millisecond, as events carry times.
double Millis(double seconds);

// "ihex", "srec" or "raw", as --format names it.
const char* FormatWord(ImageFormat format);

#endif  // TARNWICK_CLI_EVENTS_H_
