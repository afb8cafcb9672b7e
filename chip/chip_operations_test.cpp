#include "chip/chip_operations.h"

#include <gtest/gtest.h>

#include <vector>

#include "chip/chip_test_rig.h"

namespace {

std::vector<uint8_t> Pattern(uint32_t n) {
  std::vector<uint8_t> bytes(n);
  for (uint32_t a = 0; a < n; ++a) bytes[a] = static_cast<uint8_t>(a * 7 + 3);
  return bytes;
}

// One address per outcome of the verification; reads are spoiled in front
// of the board so the byte verifies at read k of pass r, or never.
TEST_F(ChipTest, ProgramAndVerifyCountsCyclesPerOutcome) {
  struct Case {
    int spoiled;  // read cycles that come back wrong
    int programs, reads;
    bool fails;
  } cases[] = {
      {0, 1, 1, false},   {1, 1, 2, false},     {2, 1, 3, false},
      {3, 2, 4, false},   {13, 5, 14, false},   {29, 10, 30, false},
      {30, 11, 30, true}, {1000, 11, 30, true},
  };
  const uint32_t n = sizeof cases / sizeof cases[0];
  const std::vector<uint8_t> image = Pattern(n);
  std::vector<uint32_t> addresses;
  for (uint32_t a = 0; a < n; ++a) {
    port_.spoiled_reads[a] = cases[a].spoiled;
    addresses.push_back(a);
  }
  std::vector<uint8_t> read_back(n, 0x5C);
  const OperationResult result =
      ProgramAndVerify(link_, image.data(), addresses, read_back.data(), sink_);

  std::vector<ByteFailure> failures;
  for (uint32_t a = 0; a < n; ++a) {
    SCOPED_TRACE(cases[a].spoiled);
    EXPECT_EQ(cases[a].programs, port_.programs[a]);
    EXPECT_EQ(cases[a].reads, port_.reads[a]);
    // A failing address keeps the thirtieth value read: image ^ 30.
    const uint8_t last = cases[a].fails ? image[a] ^ 30 : image[a];
    EXPECT_EQ(last, read_back[a]);
    EXPECT_EQ(last, sink_.steps[a].byte);
    if (cases[a].fails)
      failures.push_back({Stage::kProgram, a, image[a], last});
  }
  EXPECT_EQ(Outcome::kDone, result.outcome);
  EXPECT_EQ(n, result.handled);
  ASSERT_EQ(failures.size(), result.failures.size());
  for (size_t k = 0; k < failures.size(); ++k) {
    EXPECT_EQ(failures[k].address, result.failures[k].address);
    EXPECT_EQ(failures[k].actual, result.failures[k].actual);
    EXPECT_EQ(failures[k].expected, result.failures[k].expected);
  }
  EXPECT_EQ("P0 P1 P2 P3 P4 P5 F6 P6 F7 P7 ", sink_.order);
  EXPECT_EQ(image, Flash(n));
  EXPECT_FALSE(result.port_failed);
  ExpectNoViolations();
}

TEST_F(ChipTest, ProgramsOnlyTheAddressesGivenAndStopsAtTheNext) {
  std::vector<uint8_t> image(16, 0x00);
  std::vector<uint8_t> read_back(16, 0x5C);
  sink_.stop_after = 2;
  const OperationResult result =
      ProgramAndVerify(link_, image.data(), {3, 9, 12}, read_back.data(), sink_);
  EXPECT_EQ(Outcome::kStopped, result.outcome);
  EXPECT_EQ(2u, result.handled);
  EXPECT_EQ("P3 P9 ", sink_.order);
  EXPECT_EQ(2u, sink_.steps[1].done);
  EXPECT_EQ(3u, sink_.steps[1].total);
  EXPECT_EQ(Stage::kProgram, sink_.steps[1].stage);
  std::vector<uint8_t> want(16, 0xFF);
  want[3] = want[9] = 0x00;
  EXPECT_EQ(want, Flash(16));
  EXPECT_EQ(2, port_.TotalPrograms());
}

// Reading, comparing and blank-checking a chip with known faults.
TEST_F(ChipTest, ReadVerifyAndBlankCheckListWhatDiffers) {
  BoardSettings settings;
  settings.stuck[2].zeros = 0x01;  // reads 0x10 for 0x11
  board_.SetSettings(settings);
  SetFlash({0x11, 0xFF, 0x11, 0xFF});

  std::vector<uint8_t> read(4, 0);
  OperationResult result = ReadChip(link_, 0, 4, read.data(), sink_);
  EXPECT_EQ((std::vector<uint8_t>{0x11, 0xFF, 0x10, 0xFF}), read);
  EXPECT_EQ(4u, result.handled);
  EXPECT_TRUE(result.failures.empty());
  EXPECT_EQ(Stage::kRead, sink_.steps.back().stage);
  EXPECT_EQ(4u, sink_.steps.back().total);

  const std::vector<uint8_t> image = {0x11, 0xFF, 0x11, 0x00};
  result = Verify(link_, image.data(), 4, sink_);
  ASSERT_EQ(2u, result.failures.size());
  EXPECT_EQ(2u, result.failures[0].address);
  EXPECT_EQ(0x11, result.failures[0].expected);
  EXPECT_EQ(0x10, result.failures[0].actual);
  EXPECT_EQ(3u, result.failures[1].address);
  // A byte that does not compare is read three times; one that does, once.
  EXPECT_EQ(1 + 1, port_.reads[0]);
  EXPECT_EQ(1 + 3, port_.reads[2]);

  result = BlankCheck(link_, 4, sink_);
  ASSERT_EQ(2u, result.failures.size());
  EXPECT_EQ(0u, result.failures[0].address);
  EXPECT_EQ(2u, result.failures[1].address);
  EXPECT_EQ(Stage::kBlankCheck, sink_.steps.back().stage);
  EXPECT_EQ(0, port_.TotalPrograms());
  ExpectNoViolations();
}

TEST_F(ChipTest, EraseAndSignature) {
  BoardSettings settings;
  settings.signature[0] = 0x12;
  settings.signature[1] = 0x34;
  settings.signature[2] = 0x05;
  board_.SetSettings(settings);
  SetFlash({0x00, 0x12});
  const OperationResult erased = Erase(link_, sink_);
  EXPECT_EQ(1u, erased.handled);
  EXPECT_EQ(1, board_.ErasePulses());
  EXPECT_EQ((std::vector<uint8_t>{0xFF, 0xFF}), Flash(2));

  const Signature s = ReadSignature(link_);
  EXPECT_EQ(0x12, s.at30);
  EXPECT_EQ(0x34, s.at31);
  EXPECT_EQ(0x05, s.at32);
  ExpectNoViolations();
}

// With port access released, the board refuses every call; the operation
// says so instead of passing off 0xFF as the chip's content.
TEST_F(ChipTest, RefusedPortCallsAreReported) {
  link_.ShutdownWinIo();
  std::vector<uint8_t> read(3, 0);
  EXPECT_TRUE(ReadChip(link_, 0, 3, read.data(), sink_).port_failed);
  EXPECT_TRUE(Erase(link_, sink_).port_failed);
  link_.InitializeWinIo();
  EXPECT_FALSE(ReadChip(link_, 0, 3, read.data(), sink_).port_failed);
}

}  // namespace
