#include "link/programmer_link.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/format.h"
#include "testing/recording_port.h"

namespace {

// The port accesses and sleeps of `cycles` on a link at `ports`, every
// read answered from `reads`, then 5A.
std::string Log(std::function<void(ProgrammerLink&)> cycles,
                BoardPorts ports = BoardPorts(),
                std::deque<uint8_t> reads = {}) {
  RecordingPort port;
  port.reads = reads;
  port.default_read = 0x5A;
  ProgrammerLink link(&port, &port, ports);
  cycles(link);
  return port.log;
}

// Each cycle's port values and sleeps, in order; register sums wrap in 16
// bits; address bits 14 and 15 are lost to the mode lines, higher ones to
// nothing.
TEST(LinkTest, CyclesWriteTheirValuesAndSleepInOrder) {
  EXPECT_EQ(
      "378<-3 s0 C0D4<-A500F2B4:4 s0 378<-7 s0 378<-5 s1 378<-7 s2 "
      "378<-3 s0 C0D4<-FF00F2B4:4 s0 378<-2 s0 C0D7->5A s0 C0D7->5A s0 "
      "C0D4<-FF0032B4:4 s1 378<-2 s0 C0D7->5A s0 C0D7->5A s0",
      Log([](ProgrammerLink& l) {
        l.WriteCodeByte(0xFFFF72B4, 0xA5);
        EXPECT_EQ(0x5A, l.ReadCodeByte(0x32B4));
        l.ReadSignatureByte(0xB2B4);
      }));
  EXPECT_EQ("15<-0 s1 278<-6 s1 278<-4 s100 278<-6 s1 278<-2",
            Log([](ProgrammerLink& l) { l.EraseChip(); }, {0xFF40, 0x278}));
}

// A pair that disagrees is read again; lines that never settle give up
// after 1000 pairs with the last byte read, having only yielded.
TEST(LinkTest, ReadRepeatsUntilAPairAgreesOrGivesUp) {
  EXPECT_EQ(
      "14<-FF00C000:4 s0 378<-2 s0 17->10 s0 17->11 s0 17->33 s0 "
      "17->33 s0",
      Log([](ProgrammerLink& l) { EXPECT_EQ(0x33, l.ReadCodeByte(0)); },
          {0xFF40, 0x378}, {0x10, 0x11, 0x33, 0x33}));
  std::deque<uint8_t> noisy;
  std::string expected = "C0D4<-FF00C100:4 s0 378<-2 s0";
  for (int n = 0; n < 2010; ++n) noisy.push_back(n & 0xFF);
  for (int n = 0; n < 2000; ++n) expected += Format(" C0D7->%X s0", n & 0xFF);
  EXPECT_TRUE(expected == Log(
                              [](ProgrammerLink& l) {
                                EXPECT_EQ(1999 & 0xFF, l.ReadCodeByte(0x100));
                              },
                              BoardPorts(), noisy));
}

}  // namespace
