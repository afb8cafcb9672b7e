#ifndef TARNWICK_CHIP_CHIP_OPERATIONS_H_
#define TARNWICK_CHIP_CHIP_OPERATIONS_H_

#include <cstdint>
#include <vector>

#include "chip/parts.h"
#include "chip/progress.h"
#include "link/programmer_link.h"

// The chip operations both front ends use: each works on buffers, drives
// the chip through the link's cycles one address at a time (yielding after
// each), reports progress to a sink and returns what happened. None of
// them knows files, windows or wording, and none claims the chip: the
// caller holds it for the whole operation.

// Verification limits of a programmed byte: reads per pass, and passes
// (each after a program cycle).
constexpr int kReadsPerPass = 3;
constexpr int kVerifyPasses = 10;

enum class Outcome {
  kDone,     // every address was handled
  kStopped,  // the sink asked to stop; the addresses before were handled
};

struct OperationResult {
  Outcome outcome = Outcome::kDone;
  uint32_t handled = 0;  // addresses handled
  // Addresses that do not hold what they should, in the order handled.
  std::vector<ByteFailure> failures;
  // A port-access call was refused during the operation (port access not
  // open, or the library failed): what was read means nothing.
  bool port_failed = false;
  // ReadTwice: addresses whose two reads differ (expected: the first
  // pass's byte, actual: the second's), in address order.
  std::vector<ByteFailure> unstable;
};

// Reads `count` bytes from address `first` up into out[0..count).
OperationResult ReadChip(ProgrammerLink& link, uint32_t first, uint32_t count,
                         uint8_t* out, ProgressSink& sink);

// Reads addresses [0, size) twice, the first pass into out[0..size) (when
// given), and compares the passes: where they differ the data lines are not
// stable, and the address is `unstable` rather than compared. With
// `expected`, every stable byte that differs from expected[a] is a failure.
// Progress is `stage` over 2 x size steps. A stop leaves nothing compared.
OperationResult ReadTwice(ProgrammerLink& link, uint32_t size,
                          const uint8_t* expected, uint8_t* out,
                          ProgressSink& sink, Stage stage);

// Programs image[a] at each address a of `addresses`, in their order, each
// verified by reading it back: up to kVerifyPasses passes of kReadsPerPass
// reads, the first read equal to image[a] ending them, and a program cycle
// before the first pass and after each failed one. Every value read is
// stored in read_back[a]. An address that never verifies is a failure with
// the last value read (the 30th); its OnFailure comes before its
// OnProgress. Progress is Stage::kProgram with the last value read.
OperationResult ProgramAndVerify(ProgrammerLink& link, const uint8_t* image,
                                 const std::vector<uint32_t>& addresses,
                                 uint8_t* read_back, ProgressSink& sink);

// Compares addresses [0, size) with image[0..size) after programming: a
// byte is right when any of up to kReadsPerPass reads gives the image's
// byte. Failures are the differing addresses with the last value read.
// Stage::kVerify.
OperationResult Verify(ProgrammerLink& link, const uint8_t* image,
                       uint32_t size, ProgressSink& sink);

// Erases the whole chip with one erase cycle, reported as one step of
// Stage::kErase. Never stopped: a stop requested before is honoured.
OperationResult Erase(ProgrammerLink& link, ProgressSink& sink);

// Reads the signature bytes at 32H, 31H and 30H, in that order.
Signature ReadSignature(ProgrammerLink& link);

// A sink that reports nowhere and never stops.
class NoProgress : public ProgressSink {
 public:
  void OnProgress(const Progress&) override {}
  bool StopRequested() override { return false; }
};

#endif  // TARNWICK_CHIP_CHIP_OPERATIONS_H_
