#include "link/programmer_link.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "base/format.h"
#include "link/recording_port.h"

namespace {

class LinkTest : public ::testing::Test {
 protected:
  RecordingPort port_;
  ProgrammerLink link_{&port_, &port_};
};

// The mask tables are checked through SetModeBit below.
TEST_F(LinkTest, ResetStateSetsEveryMember) {
  link_.m_codeImage[4096] = 7;
  link_.m_readImage[0] = 9;
  link_.m_rtlBase = 1;
  link_.m_hLogFile = kBadFile;
  link_.ResetState();
  auto zero = [](const uint8_t* image) {
    return std::count(image, image + kImageBufferSize, 0);
  };
  EXPECT_EQ(kImageBufferSize, zero(link_.m_codeImage));
  EXPECT_EQ(kImageBufferSize, zero(link_.m_readImage));
  EXPECT_EQ(kNoFile, link_.m_hIniFile);
  EXPECT_EQ(kNoFile, link_.m_hLogFile);
  EXPECT_EQ(0xC000, link_.m_rtlBase);
  EXPECT_EQ(0x378, link_.m_eppPort);
  EXPECT_EQ("", port_.log) << "no port is touched before a command";
}

TEST_F(LinkTest, SetModeBit) {
  struct Case {
    uint8_t before;
    int bit, mode;
    uint8_t after;
    int result;
  } cases[] = {
      {0x00, 6, 1, 0x40, 0}, {0xFF, 7, 0, 0x7F, 0},  {0x3C, 0, 1, 0x3D, 0},
      {0xA5, 6, 2, 0xA5, 1}, {0xA5, 7, -1, 0xA5, 1},
  };
  for (const Case& c : cases) {
    uint8_t byte = c.before;
    EXPECT_EQ(c.result, link_.SetModeBit(&byte, c.bit, c.mode));
    EXPECT_EQ(c.after, byte) << "bit " << c.bit << " mode " << c.mode;
  }
}

// Each cycle's port accesses and sleeps, exactly and in order. Reads are
// answered 5A, so a settled read agrees at its first pair.
TEST_F(LinkTest, CyclesWriteTheirValuesAndSleepInOrder) {
  const struct Case {
    std::function<int(ProgrammerLink&)> run;
    int result;
    const char* log;
  } cases[] = {
      {[](ProgrammerLink& l) { return l.WriteCodeByte(0x0123, 0xA5); }, 0,
       "378<-3 s0 C0D4<-A500C123:4 s0 378<-7 s0 378<-5 s1 378<-7 s2 378<-3 "
       "s0"},
      {[](ProgrammerLink& l) { return l.ReadCodeByte(0x0FFF); }, 0x5A,
       "C0D4<-FF00CFFF:4 s0 378<-2 s0 C0D7->5A s0 C0D7->5A s0"},
      {[](ProgrammerLink& l) { return l.ReadSignatureByte(0x30); }, 0x5A,
       "C0D4<-FF000030:4 s1 378<-2 s0 C0D7->5A s0 C0D7->5A s0"},
      {[](ProgrammerLink& l) { return l.EraseChip(); }, 0,
       "C0D5<-0 s1 378<-6 s1 378<-4 s100 378<-6 s1 378<-2"},
  };
  port_.default_read = 0x5A;
  for (const Case& c : cases) {
    port_.log.clear();
    EXPECT_EQ(c.result, c.run(link_));
    EXPECT_EQ(c.log, port_.log);
  }
}

// Bits 14 and 15 of an address are lost to the mode lines; bits above 15
// never reach a port.
TEST_F(LinkTest, HighAddressBitsAreLost) {
  auto cycles = [this](uint32_t address) {
    port_.log.clear();
    link_.WriteCodeByte(address, 0x00);
    link_.ReadCodeByte(address);
    link_.ReadSignatureByte(address);
    return port_.log;
  };
  const std::string low = cycles(0x1234);
  for (const char* value :
       {"C0D4<-D234:4", "C0D4<-FF00D234:4", "C0D4<-FF001234:4"}) {
    EXPECT_NE(std::string::npos, low.find(value)) << value;
  }
  EXPECT_EQ(low, cycles(0x5234));
  EXPECT_EQ(low, cycles(0x9234));
  EXPECT_EQ(cycles(0x0FFF), cycles(0xFFFF0FFF));
}

TEST_F(LinkTest, ReadRepeatsUntilAPairAgreesOrGivesUp) {
  port_.reads = {0x10, 0x11, 0x22, 0x23, 0x33, 0x33};
  EXPECT_EQ(0x33, link_.ReadCodeByte(0));
  EXPECT_EQ(
      "C0D4<-FF00C000:4 s0 378<-2 s0 C0D7->10 s0 C0D7->11 s0 C0D7->22 s0 "
      "C0D7->23 s0 C0D7->33 s0 C0D7->33 s0",
      port_.log);

  // Lines that never settle: the last byte read, and no sleep but yields.
  const int pairs = ProgrammerLink::kMaxSettleReadPairs;
  std::string expected = "C0D4<-FF00C100:4 s0 378<-2 s0";
  for (int n = 0; n < 2 * pairs + 10; ++n) port_.reads.push_back(n & 0xFF);
  for (int n = 0; n < 2 * pairs; ++n)
    expected += Format(" C0D7->%X s0", n & 0xFF);
  port_.log.clear();
  EXPECT_EQ((2 * pairs - 1) & 0xFF, link_.ReadCodeByte(0x100));
  EXPECT_TRUE(expected == port_.log) << port_.log.substr(0, 200) << "...";
}

TEST_F(LinkTest, PortSumsWrapIn16Bits) {
  link_.m_rtlBase = 0xFF40;
  link_.m_eppPort = 0x278;
  link_.ReadCodeByte(0);
  link_.EraseChip();
  EXPECT_EQ(
      "14<-FF00C000:4 s0 278<-2 s0 17->FF s0 17->FF s0 "
      "15<-0 s1 278<-6 s1 278<-4 s100 278<-6 s1 278<-2",
      port_.log);
}

TEST_F(LinkTest, OneActivityAtATime) {
  EXPECT_TRUE(link_.TryBeginActivity());
  EXPECT_FALSE(link_.TryBeginActivity());
  link_.EndActivity();
  EXPECT_TRUE(link_.TryBeginActivity());
}

}  // namespace
