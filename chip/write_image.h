#ifndef TARNWICK_CHIP_WRITE_IMAGE_H_
#define TARNWICK_CHIP_WRITE_IMAGE_H_

#include <cstdint>
#include <vector>

#include "chip/chip_operations.h"

// What writing an image over what the chip holds takes.
struct WritePlan {
  bool erase = false;              // erase the chip first
  std::vector<uint32_t> program;   // addresses to program, ascending
};

// Flash cells can only be cleared by programming. When every image byte
// can be reached from the chip's byte by clearing bits, the plan programs
// only the bytes that differ; otherwise it erases, then programs only the
// bytes that are not 0xFF. `chip` and `image` hold `size` bytes from
// address 0.
WritePlan PlanWrite(const uint8_t* chip, const uint8_t* image, uint32_t size);

enum class WriteMode {
  kDifferential,  // read first and follow PlanWrite
  kNoErase,       // program every byte of the image, erasing nothing
};

struct WriteOptions {
  WriteMode mode = WriteMode::kDifferential;
  // Compare every byte of the image once all are written.
  bool compare_at_end = true;
  // Sleep before the first step (the desktop pauses a second).
  uint32_t pause_ms = 0;
};

// Every byte of the image is counted once: programmed + skipped + failed
// (failures.size()) + not_reached is the image's size.
struct WriteReport {
  Outcome outcome = Outcome::kDone;
  bool erased = false;
  uint32_t programmed = 0;   // given program cycles, and right at the end
  uint32_t skipped = 0;      // left as they were, and right at the end
  uint32_t not_reached = 0;  // to be programmed, but the write stopped first
  uint32_t stopped_at = 0;   // after a stop: the first address not reached
  // Addresses that do not hold the image's byte after the write, in
  // address order: those that never verified when programmed, and those
  // the final comparison found wrong.
  std::vector<ByteFailure> failures;
  bool port_failed = false;
};

// Makes addresses [0, size) of the chip hold image[0..size) (Stage::kRead,
// kErase, kProgram, and kVerify for the comparison at the end). Programmed
// bytes get ProgramAndVerify's passes; their failures reach the sink's
// OnFailure as they happen, and so do the final comparison's. Stops at the
// next address when the sink asks; the report then covers what was done.
WriteReport WriteImage(ProgrammerLink& link, const uint8_t* image,
                       uint32_t size, const WriteOptions& options,
                       ProgressSink& sink);

#endif  // TARNWICK_CHIP_WRITE_IMAGE_H_
