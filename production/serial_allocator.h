#ifndef TARNWICK_PRODUCTION_SERIAL_ALLOCATOR_H_
#define TARNWICK_PRODUCTION_SERIAL_ALLOCATOR_H_

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "base/board_lock.h"
#include "base/file.h"
#include "production/record_files.h"

// Where a run's serial numbers come from: a file holding the next number,
// one line of decimal digits ("1017\n").
struct SerialFileSetup {
  FilePath path;
  // Makes a missing file start here; with an existing file it must be the
  // number the file holds (no silent restart).
  std::optional<uint64_t> start;
  uint64_t step = 1;          // added for each number taken; at least 1
  uint64_t last = UINT64_MAX; // the largest number the serial area holds
  // A failed or stopped chip's number goes to the next chip (see Failed).
  bool reuse_failed = false;
};

enum class TakeResult {
  kTaken,        // the number is this chip's; the file names the next one
  kUsedUp,       // the next number is beyond `last`: the range has ended
  kNotRecorded,  // the file could not be advanced: no number may be used
};

// Hands out a run's serial numbers, never the same one twice, even across
// a crash: each number is taken only once the file names the number after
// it on the disk, so a crash can waste a number but never give it again.
// The file is locked for the allocator's life, so that a second run on it
// is refused; the boards of one run share one allocator, which any thread
// may use. On Windows the lock is a thread's: the allocator is destroyed by
// the thread that opened it.
class SerialAllocator {
 public:
  // Locks and reads the file; writes nothing. Null, with *why in English,
  // when the file is locked by another run, missing without a start, holds
  // no number, holds another number than the start, or names a first number
  // beyond `last`, or when the step is 0. `files` must outlive it.
  static std::unique_ptr<SerialAllocator> Open(const SerialFileSetup& setup,
                                               RecordFiles* files,
                                               std::string* why);

  // The number for the chip about to be programmed, into *number: a failed
  // chip's number given back (the smallest) when there is one, otherwise
  // the file's, the file first replaced durably by the number plus the
  // step. *why says why on kUsedUp and kNotRecorded.
  TakeResult Take(uint64_t* number, std::string* why);

  // The chip given `number` failed or was stopped. With reuse_failed the
  // number goes to the next Take; it is not written back to the file (other
  // boards may have taken later numbers meanwhile), so a run that ends first
  // leaves it unused. Without, it stays used.
  void Failed(uint64_t number);

  // The number the file holds: where the next run goes on.
  uint64_t FileNext() const;

 private:
  SerialAllocator(const SerialFileSetup& setup, RecordFiles* files,
                  uint64_t next, std::unique_ptr<BoardLock> lock);

  const SerialFileSetup setup_;
  RecordFiles* const files_;
  std::unique_ptr<BoardLock> lock_;
  mutable std::mutex mutex_;
  uint64_t next_;                // what the file holds, or will at first
  std::set<uint64_t> given_back_;
};

#endif  // TARNWICK_PRODUCTION_SERIAL_ALLOCATOR_H_
