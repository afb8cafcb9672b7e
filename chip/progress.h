#ifndef TARNWICK_CHIP_PROGRESS_H_
#define TARNWICK_CHIP_PROGRESS_H_

#include <cstdint>

// What a chip operation is doing.
enum class Stage {
  kRead,        // reading program memory
  kErase,       // the erase cycle
  kProgram,     // programming bytes, each verified by reading it back
  kVerify,      // comparing program memory with an image
  kBlankCheck,  // checking that program memory is erased
};

// One step of an operation, reported after each address.
struct Progress {
  Stage stage = Stage::kRead;
  uint32_t address = 0;  // the address just handled
  uint32_t done = 0;     // addresses handled so far in this stage, this one too
  uint32_t total = 0;    // addresses this stage handles in all
  uint8_t byte = 0;      // the byte read there last
};

// A byte that does not hold what it should.
struct ByteFailure {
  Stage stage = Stage::kProgram;  // the stage that found it
  uint32_t address = 0;
  uint8_t expected = 0;  // the byte written, or the image's byte
  uint8_t actual = 0;    // the byte read back last
};

// Lets through at most one step per 1 % of a stage, and always its last:
// what a front end passes on to a program that reads the steps.
class PercentSteps {
 public:
  // Whether `p` is to be passed on.
  bool Take(const Progress& p) {
    if (p.stage != stage_ || p.done < done_) percent_ = 0;
    stage_ = p.stage;
    done_ = p.done;
    const uint32_t percent =
        p.total == 0 ? 100
                     : static_cast<uint32_t>(uint64_t{p.done} * 100 / p.total);
    if (percent <= percent_ && p.done != p.total) return false;
    percent_ = percent;
    return true;
  }

 private:
  Stage stage_ = Stage::kRead;
  uint32_t done_ = 0;
  uint32_t percent_ = 0;
};

// Where an operation reports as it goes, and learns that it should stop.
// Called on the operation's thread.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;

  // After each address.
  virtual void OnProgress(const Progress& progress) = 0;

  // At once when an address fails, before its OnProgress.
  virtual void OnFailure(const ByteFailure& failure) { (void)failure; }

  // Looked at before each address: true stops the operation there.
  virtual bool StopRequested() = 0;
};

#endif  // TARNWICK_CHIP_PROGRESS_H_
