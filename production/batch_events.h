#ifndef TARNWICK_PRODUCTION_BATCH_EVENTS_H_
#define TARNWICK_PRODUCTION_BATCH_EVENTS_H_

#include <cstdint>
#include <optional>
#include <string>

#include "chip/parts.h"
#include "chip/progress.h"
#include "chip/write_image.h"

// What one board's production run tells as it goes. Each call is one event
// of the command line's event stream (its "--json" events of the same
// name); the command line words them for people or writes them as JSON
// Lines, adding the run's time and the board's name.

// A chip in the socket, as its signature names it.
struct SocketChip {
  Signature signature;
  const Part* part = nullptr;  // never null: only known parts count
};

// A chip put in or taken out.
struct ChipEvent {
  uint32_t chip = 0;  // its number in the board's run, from 1
  SocketChip seen;
};

enum class ChipVerdict {
  kPass,       // written and verified
  kFail,       // written, but bytes do not hold the image
  kWrongPart,  // another part than the run's: not touched
  kStopped,    // a stop request ended its write at the next address
};

// The verdict's word in the journal: pass, fail, wrong-part, stopped.
const char* ChipVerdictWord(ChipVerdict verdict);

// A run's chips so far.
struct BatchCounts {
  uint32_t passed = 0;
  uint32_t failed = 0;
  uint32_t wrong_part = 0;
  uint32_t stopped = 0;
};

// The checksums of the chip image a chip was given: the part's bytes, FF
// where the file gives none, the serial number in them.
struct ImageSums {
  uint16_t sum16 = 0;
  uint32_t crc32 = 0;
};

// The outcome of one chip.
struct ChipResult {
  uint32_t chip = 0;
  SocketChip seen;
  ChipVerdict verdict = ChipVerdict::kPass;
  std::optional<uint64_t> serial;  // none without serial numbers
  std::optional<ImageSums> sums;   // none for a wrong part
  WriteReport write;               // all zero for a wrong part
  double seconds = 0;              // from the chip's detection to its result
  double write_seconds = 0;        // of which writing and verifying
  BatchCounts counts;              // the run's, this chip included
};

// Why a run ended.
enum class BatchEnd {
  kCounted,        // as many chips passed as were asked for
  kStopped,        // a stop request
  kOperatorEnded,  // the operator ended it (no more input at a prompt)
  kSerialsUsedUp,  // the next serial number does not fit its area
  kNotRecorded,    // the serial file or the journal could not be written
  kPortFailed,     // port access was refused
  kRefused,        // the first chip's part cannot take the image or serial
};

struct BatchSummary {
  BatchEnd end = BatchEnd::kStopped;
  std::string why;  // in English: what ended it, and for a failure why
  BatchCounts counts;
  double yield = 0;           // passed / (passed + failed); 0 for none
  double chips_per_hour = 0;  // passed and failed ones, from the first
                              // chip's detection to the last result
  std::optional<uint64_t> next_serial;  // what the serial file holds now
  double seconds = 0;                   // the whole run
};

// Receives one board's events, on the board's thread, in this order per
// chip: inserted, progress and failures, result, removed (when the socket
// sees it), and a summary last.
class BatchEvents {
 public:
  virtual ~BatchEvents() = default;

  // "chip" {"state": "inserted"}: a chip of a known part settled.
  virtual void OnChipInserted(const ChipEvent& chip) { (void)chip; }
  // "chip" {"state": "removed"}: no chip answers any more.
  virtual void OnChipRemoved(const ChipEvent& chip) { (void)chip; }
  // "progress": at most one per 1 % of a stage, always its last step.
  virtual void OnProgress(const Progress& step) { (void)step; }
  // "failure": a byte that does not hold the image, as it is found.
  virtual void OnFailure(const ByteFailure& failure) { (void)failure; }
  // "result": a chip's outcome, once its journal line is written (when
  // there is a journal).
  virtual void OnResult(const ChipResult& result) { (void)result; }
  // "warning": something the operator should know; the run goes on.
  // `code`: "unknown-part", "no-chip" or "unstable".
  virtual void OnWarning(const std::string& code, const std::string& text) {
    (void)code, (void)text;
  }
  // "summary": the run has ended.
  virtual void OnSummary(const BatchSummary& summary) { (void)summary; }
};

#endif  // TARNWICK_PRODUCTION_BATCH_EVENTS_H_
