#include "link/programmer_link.h"

#include <gtest/gtest.h>

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

TEST_F(LinkTest, InitialStateMatchesTheRecord) {
  const uint8_t clear[8] = {0xFE, 0xFD, 0xFB, 0xF7, 0xEF, 0xDF, 0xBF, 0x7F};
  const uint8_t set[8] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80};
  link_.m_codeImage[4096] = 7;
  link_.m_readImage[0] = 9;
  link_.m_rtlBase = 1;
  link_.m_hLogFile = kBadFile;
  link_.ResetState();
  for (int n = 0; n < 8; ++n) {
    EXPECT_EQ(clear[n], link_.m_clearMask[n]);
    EXPECT_EQ(set[n], link_.m_setMask[n]);
  }
  for (uint32_t a = 0; a < kImageBufferSize; ++a) {
    ASSERT_EQ(0, link_.m_codeImage[a]);
    ASSERT_EQ(0, link_.m_readImage[a]);
  }
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
      {0x00, 6, 1, 0x40, 0}, {0xFF, 7, 0, 0x7F, 0}, {0x3C, 0, 1, 0x3D, 0},
      {0xC0, 6, 0, 0x80, 0}, {0xA5, 6, 2, 0xA5, 1}, {0xA5, 7, -1, 0xA5, 1},
  };
  for (const Case& c : cases) {
    uint8_t byte = c.before;
    EXPECT_EQ(c.result, link_.SetModeBit(&byte, c.bit, c.mode));
    EXPECT_EQ(c.after, byte) << "bit " << c.bit << " mode " << c.mode;
  }
}

TEST_F(LinkTest, ProgramCycleWritesValuesAndSleepsInOrder) {
  EXPECT_EQ(0, link_.WriteCodeByte(0x0123, 0xA5));
  const std::vector<Event> expected = {
      R::Write(0x378, 3, 1),          R::Sleep(0),
      R::Write(0xC0D4, 0xA500C123, 4), R::Sleep(0),
      R::Write(0x378, 7, 1),          R::Sleep(0),
      R::Write(0x378, 5, 1),          R::Sleep(1),
      R::Write(0x378, 7, 1),          R::Sleep(2),
      R::Write(0x378, 3, 1),          R::Sleep(0),
  };
  EXPECT_EQ(expected, port_.events);
}

TEST_F(LinkTest, ReadCycleSettlesOnFirstAgreeingPair) {
  port_.reads = {0x5A, 0x5A};
  EXPECT_EQ(0x5A, link_.ReadCodeByte(0x0FFF));
  const std::vector<Event> expected = {
      R::Write(0xC0D4, 0xFF00CFFF, 4), R::Sleep(0),
      R::Write(0x378, 2, 1),          R::Sleep(0),
      R::Read(0xC0D7, 0x5A),          R::Sleep(0),
      R::Read(0xC0D7, 0x5A),          R::Sleep(0),
  };
  EXPECT_EQ(expected, port_.events);
}

TEST_F(LinkTest, SignatureCycleClearsModeLinesAndSettlesOneMs) {
  port_.reads = {0x1E, 0x1E};
  EXPECT_EQ(0x1E, link_.ReadSignatureByte(0x30));
  ASSERT_GE(port_.events.size(), 3u);
  EXPECT_EQ(R::Write(0xC0D4, 0xFF000030, 4), port_.events[0]);
  EXPECT_EQ(R::Sleep(1), port_.events[1]);
  EXPECT_EQ(R::Write(0x378, 2, 1), port_.events[2]);
}

TEST_F(LinkTest, HighAddressBitsAreLostToTheModeLines) {
  struct Case {
    uint32_t address;
    uint32_t program, read, signature;
  } cases[] = {
      {0x1234, 0x0000D234, 0xFF00D234, 0xFF001234},
      {0x5234, 0x0000D234, 0xFF00D234, 0xFF001234},
      {0x9234, 0x0000D234, 0xFF00D234, 0xFF001234},
      {0xFFFF0FFF, 0x0000CFFF, 0xFF00CFFF, 0xFF000FFF},
  };
  for (const Case& c : cases) {
    port_.events.clear();
    link_.WriteCodeByte(c.address, 0x00);
    link_.ReadCodeByte(c.address);
    link_.ReadSignatureByte(c.address);
    const std::vector<Event> writes = port_.Only(Event::kWrite);
    std::vector<uint32_t> flash;
    for (const Event& e : writes)
      if (e.port == 0xC0D4) flash.push_back(e.value);
    EXPECT_EQ((std::vector<uint32_t>{c.program, c.read, c.signature}), flash)
        << std::hex << c.address;
  }
}

TEST_F(LinkTest, ReadRepeatsUntilAPairAgrees) {
  port_.reads = {0x10, 0x11, 0x22, 0x23, 0x33, 0x33, 0x99};
  EXPECT_EQ(0x33, link_.ReadCodeByte(0));
  EXPECT_EQ(6u, port_.Only(Event::kRead).size());
}

TEST_F(LinkTest, ReadGivesUpOnLinesThatNeverSettle) {
  for (int n = 0; n < 2 * ProgrammerLink::kMaxSettleReadPairs + 10; ++n)
    port_.reads.push_back(static_cast<uint32_t>(n & 0xFF));
  const int last = (2 * ProgrammerLink::kMaxSettleReadPairs - 1) & 0xFF;
  EXPECT_EQ(last, link_.ReadCodeByte(0x100));
  EXPECT_EQ(2u * ProgrammerLink::kMaxSettleReadPairs,
            port_.Only(Event::kRead).size());
  for (const Event& e : port_.Only(Event::kSleep))
    EXPECT_EQ(0u, e.value) << "giving up must not add sleeps";
}

TEST_F(LinkTest, EraseMakesFiveWritesAndSleeps103Ms) {
  EXPECT_EQ(0, link_.EraseChip());
  const std::vector<Event> expected = {
      R::Write(0xC0D5, 0, 1), R::Sleep(1),   R::Write(0x378, 6, 1),
      R::Sleep(1),            R::Write(0x378, 4, 1), R::Sleep(100),
      R::Write(0x378, 6, 1),  R::Sleep(1),   R::Write(0x378, 2, 1),
  };
  EXPECT_EQ(expected, port_.events);
}

TEST_F(LinkTest, PortSumsWrapIn16Bits) {
  link_.m_rtlBase = 0xFF40;
  link_.m_eppPort = 0x278;
  port_.reads = {1, 1};
  link_.ReadCodeByte(0);
  link_.EraseChip();
  EXPECT_EQ(0x0014, port_.events[0].port);
  EXPECT_EQ(0x0017, port_.Only(Event::kRead)[0].port);
  EXPECT_EQ(0x0015, port_.Only(Event::kWrite)[2].port);
  EXPECT_EQ(0x278, port_.Only(Event::kWrite)[1].port);
}

TEST_F(LinkTest, PortAccessPassesThrough) {
  link_.ShutdownWinIo();
  EXPECT_TRUE(link_.InitializeWinIo());
  EXPECT_EQ(Event::kShutdown, port_.events[0].kind);
  EXPECT_EQ(Event::kInit, port_.events[1].kind);
}

TEST_F(LinkTest, OneActivityAtATime) {
  EXPECT_TRUE(link_.TryBeginActivity());
  EXPECT_FALSE(link_.TryBeginActivity());
  link_.EndActivity();
  EXPECT_TRUE(link_.TryBeginActivity());
}

}  // namespace
