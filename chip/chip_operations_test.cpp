#include "chip/chip_operations.h"

#include <gtest/gtest.h>

#include <vector>

#include "testing/board_rig.h"
#include "testing/recording_port.h"

namespace {

// The cycles at one address per outcome of its verification: the first
// `spoiled` read cycles settle on a wrong byte, the rest on the right one.
TEST(ProgramAndVerifyTest, CountsCyclesPerOutcome) {
  const struct Case {
    int spoiled, programs, reads;
  } cases[] = {{0, 1, 1},    {2, 1, 3},    {3, 2, 4},   {13, 5, 14},
               {29, 10, 30}, {30, 11, 30}, {99, 11, 30}};
  for (const Case& c : cases) {
    RecordingPort port;
    port.default_read = 0xA5;
    for (int n = 1; n <= c.spoiled; ++n)
      port.reads.insert(port.reads.end(), 2, static_cast<uint8_t>(0xA5 ^ n));
    ProgrammerLink link(&port, &port, BoardPorts());
    const uint8_t image[] = {0x00, 0xA5};
    uint8_t read_back[] = {0x5C, 0x5C};
    RecordingSink sink;
    const OperationResult r =
        ProgramAndVerify(link, image, {1}, read_back, sink);
    EXPECT_EQ(c.programs, port.Count("378<-5")) << c.spoiled;
    EXPECT_EQ(c.reads, port.Count("378<-2")) << c.spoiled;
    // A failing address keeps the thirtieth value read.
    const uint8_t last = c.spoiled >= 30 ? 0xA5 ^ 30 : 0xA5;
    EXPECT_EQ(last, read_back[1]);
    EXPECT_EQ(0x5C, read_back[0]);
    EXPECT_EQ(last, sink.steps.at(0).byte);
    const bool failed = r.failures.size() == 1 && sink.failures.size() == 1 &&
                        r.failures[0].actual == last &&
                        r.failures[0].expected == 0xA5;
    EXPECT_EQ(c.spoiled >= 30, failed);
  }
}

// Reading and comparing a chip with a stuck bit (the comparison reads the
// chip twice); then with port access released, which the results tell.
TEST_F(BoardTest, ReadAndVerifyTellWhatDiffers) {
  BoardSettings settings;
  settings.stuck[2].zeros = 0x01;  // reads 0x10 for 0x11
  board_.SetSettings(settings);
  SetFlash("\x11\xFF\x11\xFF");
  std::vector<uint8_t> read(4, 0);
  EXPECT_EQ(4u, session_.Read(4, read.data(), sink_).handled);
  EXPECT_EQ((std::vector<uint8_t>{0x11, 0xFF, 0x10, 0xFF}), read);
  const OperationResult r =
      session_.Verify({0x11, 0xFF, 0x11, 0x00}, sink_);
  EXPECT_EQ(2u, r.failures.size());
  // 4 reads, then the two passes of the comparison.
  EXPECT_EQ(std::make_pair(0, 4 + 2 * 4), Cycles());
  EXPECT_FALSE(r.port_failed || session_.Erase(sink_).port_failed);
  board_.Close();
  EXPECT_TRUE(session_.Read(3, read.data(), sink_).port_failed);
  EXPECT_TRUE(session_.Erase(sink_).port_failed);
}

}  // namespace
