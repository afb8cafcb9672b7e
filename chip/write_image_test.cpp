#include "chip/write_image.h"

#include <gtest/gtest.h>

#include <vector>

#include "chip/chip_test_rig.h"

namespace {

TEST(PlanWriteTest, ClearsBitsWhereItCanAndErasesWhereItMust) {
  struct Case {
    const char* name;
    std::vector<uint8_t> chip, image;
    bool erase;
    std::vector<uint32_t> program;
  } cases[] = {
      {"the chip holds the image", {0x12, 0xFF}, {0x12, 0xFF}, false, {}},
      {"bits only cleared", {0xFF, 0xF0, 0x33}, {0x0F, 0xF0, 0x22}, false,
       {0, 2}},
      {"a bit must rise", {0x0F, 0xFF, 0x00}, {0x1F, 0xFF, 0x00}, true,
       {0, 2}},
      {"erased chip skips FF", {0xFF, 0xFF, 0xFF}, {0x00, 0xFF, 0x01}, false,
       {0, 2}},
      {"empty image", {}, {}, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const WritePlan plan = PlanWrite(c.chip.data(), c.image.data(),
                                     static_cast<uint32_t>(c.image.size()));
    EXPECT_EQ(c.erase, plan.erase);
    EXPECT_EQ(c.program, plan.program);
  }
}

class WriteImageTest : public ChipTest {
 protected:
  WriteReport Write(const std::vector<uint8_t>& image,
                    WriteMode mode = WriteMode::kDifferential) {
    return WriteImage(link_, image.data(),
                      static_cast<uint32_t>(image.size()), mode, sink_);
  }
};

// Each way in: the chip ends holding the image, and every byte of it was
// read back at the end.
TEST_F(WriteImageTest, ProgramsOnlyWhatItMustAndComparesEveryByte) {
  struct Case {
    const char* name;
    std::vector<uint8_t> chip, image;
    WriteMode mode;
    bool erased;
    uint32_t programmed, skipped;
  } cases[] = {
      {"identical", {0x12, 0x34, 0xFF}, {0x12, 0x34, 0xFF},
       WriteMode::kDifferential, false, 0, 3},
      {"reachable", {0xFF, 0x34, 0xFF}, {0x12, 0x34, 0xFF},
       WriteMode::kDifferential, false, 1, 2},
      {"unreachable", {0x00, 0x00, 0x00, 0x00}, {0x12, 0xFF, 0xFF, 0x00},
       WriteMode::kDifferential, true, 2, 2},
      {"no erase", {0xFF, 0xFF, 0xFF}, {0x12, 0xFF, 0x34},
       WriteMode::kNoErase, false, 3, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> chip = c.chip;
    chip.resize(8, 0x77);  // beyond the image: left as it is unless erased
    SetFlash(chip);
    port_.programs.clear();
    port_.reads.clear();
    const WriteReport report = Write(c.image, c.mode);
    EXPECT_EQ(Outcome::kDone, report.outcome);
    EXPECT_EQ(c.erased, report.erased);
    EXPECT_EQ(c.programmed, report.programmed);
    EXPECT_EQ(c.programmed, static_cast<uint32_t>(port_.TotalPrograms()));
    EXPECT_EQ(c.skipped, report.skipped);
    EXPECT_TRUE(report.failures.empty());
    std::vector<uint8_t> want = c.image;
    want.resize(8, c.erased ? 0xFF : 0x77);
    EXPECT_EQ(want, Flash(8));
    // Read first (unless told not to erase), then compared at the end. The
    // erase cycle ends on the strobe's idle value, which the counting port
    // takes for a read at the address last latched (the last one read).
    const int reads_before = c.mode == WriteMode::kDifferential ? 1 : 0;
    for (uint32_t a = 0; a < c.image.size(); ++a) {
      const bool erase_end = c.erased && a + 1 == c.image.size();
      EXPECT_EQ(reads_before + (port_.programs[a] ? 1 : 0) + 1 + erase_end,
                port_.reads[a])
          << a;
    }
    EXPECT_EQ(Stage::kVerify, sink_.steps.back().stage);
  }
  ExpectNoViolations();
}

TEST_F(WriteImageTest, FailuresAreListedOnceInAddressOrder) {
  BoardSettings settings;
  settings.stuck[1].ones = 0x01;   // 0x10 never reads back
  settings.stuck[3].ones = 0x01;   // 0xFE never reads back
  board_.SetSettings(settings);
  SetFlash({0xFF, 0xFF, 0x11, 0xFE});
  const WriteReport report = Write({0x00, 0x10, 0x11, 0xFE});
  ASSERT_EQ(2u, report.failures.size());
  EXPECT_EQ(1u, report.failures[0].address);
  EXPECT_EQ(0x10, report.failures[0].expected);
  EXPECT_EQ(0x11, report.failures[0].actual);
  EXPECT_EQ(3u, report.failures[1].address);
  EXPECT_EQ(0xFF, report.failures[1].actual);
  EXPECT_EQ(3u, report.programmed);
  EXPECT_EQ(1u, report.skipped);
  // Reported as they happened: when programmed, then by the compare.
  std::vector<uint32_t> seen;
  for (const ByteFailure& f : sink_.failures) seen.push_back(f.address);
  EXPECT_EQ((std::vector<uint32_t>{1, 3, 1, 3}), seen);
}

TEST_F(WriteImageTest, StopsAtTheNextAddress) {
  SetFlash({});
  sink_.stop_after = 4 + 2;  // the read of four bytes, then two programmed
  const WriteReport report = Write({0x01, 0x02, 0x03, 0x04});
  EXPECT_EQ(Outcome::kStopped, report.outcome);
  EXPECT_EQ(2u, report.programmed);
  EXPECT_EQ((std::vector<uint8_t>{0x01, 0x02, 0xFF, 0xFF}), Flash(4));
}

}  // namespace
