#include "chip/write_image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/board_rig.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

// Each way in: the chip ends holding the image after the cycles and sleeps
// that way takes: a read of each byte first (unless erasing nothing), an
// erase when a bit must rise, the bytes that must change programmed and
// verified, and each byte compared at the end (unless told not to).
TEST_F(BoardTest, WriteProgramsOnlyWhatItMustAndComparesEveryByte) {
  const struct Case {
    std::string chip, image;
    WriteOptions options;
    bool erased;
    uint32_t programmed;
    int reads_per_byte;  // before and after
  } cases[] = {
      {"\x12\x34\xFF", "\x12\x34\xFF", {}, false, 0, 2},
      {"\xFF\x34\x33", "\x12\x34\x22", {}, false, 2, 2},
      {std::string(4, '\0'), std::string("\x12\xFF\xFF\0", 4), {}, true, 2, 2},
      {"\xFF\xFF\xFF", "\x12\xFF\x34", {WriteMode::kNoErase}, false, 3, 1},
      {"\xFF\xFF", "\x12\x34", {WriteMode::kNoErase, false, 1000}, false, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.image);
    SetFlash(c.chip + std::string(8 - c.chip.size(), '\x77'));
    Cycles();
    const uint64_t start_us = clock_.NowUs();
    const WriteReport report =
        session_.Write(Bytes(c.image), c.options, nullptr, sink_);
    EXPECT_EQ(Outcome::kDone, report.outcome);
    EXPECT_EQ(c.erased, report.erased);
    EXPECT_EQ(c.programmed, report.programmed);
    EXPECT_EQ(c.image.size() - c.programmed, report.skipped);
    EXPECT_TRUE(report.failures.empty());
    EXPECT_EQ(
        c.image + std::string(8 - c.image.size(), c.erased ? '\xFF' : '\x77'),
        Flash(8));
    // The erase cycle ends on the control value of a read.
    const int size = static_cast<int>(c.image.size()),
              programmed = static_cast<int>(c.programmed);
    EXPECT_EQ(std::make_pair(programmed,
                             size * c.reads_per_byte + programmed + c.erased),
              Cycles());
    EXPECT_EQ(
        c.options.pause_ms * 1000u + c.programmed * 3000u + c.erased * 103000u,
        clock_.NowUs() - start_us);
  }
}

}  // namespace
