#include "link/programmer_link.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "link/recording_port.h"

namespace {

using Event = RecordingPort::Event;
using R = RecordingPort;

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
  EXPECT_TRUE(port_.events.empty()) << "no port is touched before a command";
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
// answered 0x5A, so every settled read agrees at its first pair.
TEST_F(LinkTest, CyclesWriteTheirValuesAndSleepInOrder) {
  const std::vector<Event> settled_read = {R::Read(0xC0D7, 0x5A), R::Sleep(0),
                                           R::Read(0xC0D7, 0x5A), R::Sleep(0)};
  struct Case {
    const char* name;
    std::function<int(ProgrammerLink&)> run;
    int result;
    std::vector<Event> events;  // followed by settled_read when result is 5A
  } cases[] = {
      {"program 0123 <- A5",
       [](ProgrammerLink& l) { return l.WriteCodeByte(0x0123, 0xA5); },
       0,
       {R::Write(0x378, 3, 1), R::Sleep(0), R::Write(0xC0D4, 0xA500C123, 4),
        R::Sleep(0), R::Write(0x378, 7, 1), R::Sleep(0), R::Write(0x378, 5, 1),
        R::Sleep(1), R::Write(0x378, 7, 1), R::Sleep(2), R::Write(0x378, 3, 1),
        R::Sleep(0)}},
      {"read 0FFF",
       [](ProgrammerLink& l) { return l.ReadCodeByte(0x0FFF); },
       0x5A,
       {R::Write(0xC0D4, 0xFF00CFFF, 4), R::Sleep(0), R::Write(0x378, 2, 1),
        R::Sleep(0)}},
      {"signature 30",
       [](ProgrammerLink& l) { return l.ReadSignatureByte(0x30); },
       0x5A,
       {R::Write(0xC0D4, 0xFF000030, 4), R::Sleep(1), R::Write(0x378, 2, 1),
        R::Sleep(0)}},
      {"erase",
       [](ProgrammerLink& l) { return l.EraseChip(); },
       0,
       {R::Write(0xC0D5, 0, 1), R::Sleep(1), R::Write(0x378, 6, 1), R::Sleep(1),
        R::Write(0x378, 4, 1), R::Sleep(100), R::Write(0x378, 6, 1),
        R::Sleep(1), R::Write(0x378, 2, 1)}},
  };
  port_.default_read = 0x5A;
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    port_.events.clear();
    EXPECT_EQ(c.result, c.run(link_));
    if (c.result == 0x5A)
      c.events.insert(c.events.end(), settled_read.begin(), settled_read.end());
    EXPECT_EQ(c.events, port_.events);
  }
}

TEST_F(LinkTest, HighAddressBitsAreLostToTheModeLines) {
  struct Case {
    uint32_t address;
    uint32_t program, read, signature;
  } cases[] = {
      {0x1234, 0x0000D234, 0xFF00D234, 0xFF001234},
      {0x5234, 0x0000D234, 0xFF00D234, 0xFF001234},
      {0xFFFF0FFF, 0x0000CFFF, 0xFF00CFFF, 0xFF000FFF},
  };
  for (const Case& c : cases) {
    port_.events.clear();
    link_.WriteCodeByte(c.address, 0x00);
    link_.ReadCodeByte(c.address);
    link_.ReadSignatureByte(c.address);
    std::vector<uint32_t> flash;
    for (const Event& e : port_.Only(Event::kWrite))
      if (e.port == 0xC0D4) flash.push_back(e.value);
    EXPECT_EQ((std::vector<uint32_t>{c.program, c.read, c.signature}), flash)
        << std::hex << c.address;
  }
}

TEST_F(LinkTest, ReadRepeatsUntilAPairAgreesOrGivesUp) {
  port_.reads = {0x10, 0x11, 0x22, 0x23, 0x33, 0x33, 0x99};
  EXPECT_EQ(0x33, link_.ReadCodeByte(0));
  EXPECT_EQ(6u, port_.Only(Event::kRead).size());

  // Lines that never settle: the last byte read, and no sleep but yields.
  const int pairs = ProgrammerLink::kMaxSettleReadPairs;
  port_.events.clear();
  port_.reads.clear();
  for (int n = 0; n < 2 * pairs + 10; ++n) port_.reads.push_back(n & 0xFF);
  EXPECT_EQ((2 * pairs - 1) & 0xFF, link_.ReadCodeByte(0x100));
  EXPECT_EQ(2u * pairs, port_.Only(Event::kRead).size());
  for (const Event& e : port_.Only(Event::kSleep)) EXPECT_EQ(0u, e.value);
}

TEST_F(LinkTest, PortSumsWrapIn16Bits) {
  link_.m_rtlBase = 0xFF40;
  link_.m_eppPort = 0x278;
  link_.ReadCodeByte(0);
  link_.EraseChip();
  const std::vector<Event> writes = port_.Only(Event::kWrite);
  EXPECT_EQ(0x0014, writes[0].port);
  EXPECT_EQ(0x278, writes[1].port);
  EXPECT_EQ(0x0015, writes[2].port);
  EXPECT_EQ(0x0017, port_.Only(Event::kRead)[0].port);
}

TEST_F(LinkTest, OneActivityAtATime) {
  EXPECT_TRUE(link_.TryBeginActivity());
  EXPECT_FALSE(link_.TryBeginActivity());
  link_.EndActivity();
  EXPECT_TRUE(link_.TryBeginActivity());
}

}  // namespace
