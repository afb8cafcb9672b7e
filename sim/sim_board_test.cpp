#include "sim/sim_board.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/virtual_clock.h"
#include "link/programmer_link.h"
#include "sim/tracing_clock.h"

namespace {

// A programmer link driving a simulated board, both on one virtual clock,
// with port access opened as the program opens it.
struct Rig {
  explicit Rig(const BoardSettings& settings = BoardSettings())
      : board(&clock, settings), link(&board, &clock) {
    link.m_rtlBase = settings.rtl_base;
    link.m_eppPort = settings.epp_port;
    link.ShutdownWinIo();
    link.InitializeWinIo();
  }

  // Programs like the write job: one program cycle, then up to ten reads.
  bool ProgramVerified(uint32_t address, uint8_t data) {
    link.WriteCodeByte(address, data);
    for (int pass = 0; pass < 10; ++pass)
      if (link.ReadCodeByte(address) == data) return true;
    return false;
  }

  void Out(uint16_t offset, uint32_t value, int size) {
    link.SetPortVal(static_cast<uint16_t>(link.m_rtlBase + offset), value,
                    size);
  }
  void Control(uint8_t value) { link.SetPortVal(link.m_eppPort, value, 1); }
  int InData() {
    uint32_t value = 0;
    link.GetPortVal(static_cast<uint16_t>(link.m_rtlBase + kDataByte), &value,
                    1);
    return static_cast<int>(value);
  }

  VirtualClock clock;
  SimBoard board;
  ProgrammerLink link;
};

std::vector<uint8_t> Pattern() {
  std::vector<uint8_t> image(kChipSize);
  for (uint32_t a = 0; a < kChipSize; ++a)
    image[a] = static_cast<uint8_t>(a * 7 + (a >> 8) + 0x5A);
  return image;
}

TEST(SimBoardTest, EraseLeavesEveryByteBlank) {
  Rig rig;
  rig.board.SetFlash(std::vector<uint8_t>(kChipSize, 0x00));
  rig.link.EraseChip();
  for (uint32_t a = 0; a < kChipSize; ++a)
    ASSERT_EQ(0xFF, rig.link.ReadCodeByte(a)) << std::hex << a;
  EXPECT_EQ(1, rig.board.ErasePulses());
  EXPECT_EQ(std::vector<uint8_t>(kChipSize, 0xFF), rig.board.Flash());
  EXPECT_EQ(std::vector<std::string>(), rig.board.Violations());
}

TEST(SimBoardTest, ProgramsAndReadsBackAWholeImage) {
  Rig rig;
  const std::vector<uint8_t> image = Pattern();
  rig.link.EraseChip();
  for (uint32_t a = 0; a < kChipSize; ++a) {
    rig.link.WriteCodeByte(a, image[a]);
    ASSERT_EQ(image[a], rig.link.ReadCodeByte(a)) << std::hex << a;
  }
  for (uint32_t a = 0; a < kChipSize; ++a)
    ASSERT_EQ(image[a], rig.link.ReadCodeByte(a)) << std::hex << a;
  EXPECT_EQ(image, rig.board.Flash());
  EXPECT_EQ(static_cast<int>(kChipSize), rig.board.ProgramPulses());
  EXPECT_EQ(std::vector<std::string>(), rig.board.Violations());
}

TEST(SimBoardTest, ProgrammingOnlyClearsBits) {
  struct Case {
    uint8_t stored, programmed, result;
  } cases[] = {
      {0xF0, 0x0F, 0x00}, {0xFF, 0xA5, 0xA5}, {0xA5, 0xFF, 0xA5},
      {0x00, 0xFF, 0x00}, {0x3C, 0xF0, 0x30},
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.board.SetFlash(std::vector<uint8_t>(kChipSize, c.stored));
    rig.link.WriteCodeByte(0x100, c.programmed);
    EXPECT_EQ(c.result, rig.link.ReadCodeByte(0x100))
        << std::hex << int{c.stored} << " then " << int{c.programmed};
    EXPECT_EQ(c.stored, rig.link.ReadCodeByte(0x101));
    EXPECT_EQ(std::vector<std::string>(), rig.board.Violations());
  }
}

TEST(SimBoardTest, SignatureAtItsPortsAndAddresses) {
  BoardSettings moved;
  moved.signature[0] = 0x1E;
  moved.signature[1] = 0x52;
  moved.signature[2] = 0x06;
  moved.rtl_base = 0xE800;
  moved.epp_port = 0x278;
  struct Case {
    BoardSettings settings;
    int expected[3];
  } cases[] = {{BoardSettings(), {0x1E, 0x51, 0xFF}},
               {moved, {0x1E, 0x52, 0x06}}};
  for (const Case& c : cases) {
    Rig rig(c.settings);
    rig.board.SetFlash(std::vector<uint8_t>(kChipSize, 0x00));
    for (int n = 0; n < 3; ++n)
      EXPECT_EQ(c.expected[n], rig.link.ReadSignatureByte(0x30 + n));
    // Outside 30H to 32H the chip drives nothing in signature mode.
    EXPECT_EQ(0xFF, rig.link.ReadSignatureByte(0x33));
    EXPECT_EQ(0x00, rig.link.ReadCodeByte(0x30)) << "program memory differs";
    EXPECT_EQ(std::vector<std::string>(), rig.board.Violations());
  }
}

TEST(SimBoardTest, AbsentChipReadsHighAndTakesNothing) {
  BoardSettings settings;
  settings.chip_present = false;
  Rig rig(settings);
  rig.link.EraseChip();
  EXPECT_FALSE(rig.ProgramVerified(0x10, 0x00));
  EXPECT_EQ(0xFF, rig.link.ReadCodeByte(0x10));
  EXPECT_EQ(0xFF, rig.link.ReadSignatureByte(0x30));
  EXPECT_EQ(0, rig.board.ProgramPulses());
  EXPECT_EQ(0, rig.board.ErasePulses());
  EXPECT_EQ(std::vector<std::string>(), rig.board.Violations());
}

TEST(SimBoardTest, StuckBitsNeverVerify) {
  BoardSettings settings;
  settings.stuck[0x123] = StuckBits{0x01, 0x80};
  Rig rig(settings);
  rig.link.EraseChip();
  EXPECT_EQ(0xFE, rig.link.ReadCodeByte(0x123));
  EXPECT_FALSE(rig.ProgramVerified(0x123, 0x00));
  EXPECT_EQ(0x80, rig.link.ReadCodeByte(0x123));
  EXPECT_EQ(0x00, rig.board.Flash()[0x123]) << "stored as programmed";
  EXPECT_TRUE(rig.ProgramVerified(0x124, 0x00)) << "only that address";
  EXPECT_EQ(std::vector<std::string>(), rig.board.Violations());
}

TEST(SimBoardTest, NoisyLinesEndTheBoundedReadInBoundedTime) {
  BoardSettings settings;
  settings.lines_settle = false;
  Rig rig(settings);
  Trace trace;
  rig.board.SetTrace(&trace);
  const uint64_t start = rig.clock.NowUs();
  const int byte = rig.link.ReadSignatureByte(0x31);
  EXPECT_TRUE(byte == 0x51 || byte == 0x50) << byte;
  EXPECT_EQ(1000u, rig.clock.NowUs() - start) << "only the 1 ms settle sleep";
  int reads = 0;
  for (const std::string& line : trace.Lines())
    reads += line.find("in C0D7") != std::string::npos;
  EXPECT_EQ(2 * ProgrammerLink::kMaxSettleReadPairs, reads);
  EXPECT_EQ(std::vector<std::string>(), rig.board.Violations());
}

TEST(SimBoardTest, WholeSessionWithoutViolations) {
  Rig rig;
  rig.link.ShutdownWinIo();
  rig.link.ShutdownWinIo();  // releasing twice is harmless
  EXPECT_FALSE(rig.board.PortAccessOpen());
  rig.link.InitializeWinIo();
  EXPECT_TRUE(rig.board.PortAccessOpen());
  rig.link.ReadSignatureByte(0x30);
  rig.link.EraseChip();
  EXPECT_TRUE(rig.ProgramVerified(0xFFF, 0x12));
  rig.link.EraseChip();
  EXPECT_EQ(0xFF, rig.link.ReadCodeByte(0xFFF));
  rig.link.ShutdownWinIo();
  EXPECT_EQ(std::vector<std::string>(), rig.board.Violations());
}

TEST(SimBoardTest, AddressBitsAboveElevenDoNotReachTheChip) {
  Rig rig;
  rig.link.EraseChip();
  rig.link.WriteCodeByte(0x5234, 0x42);
  EXPECT_EQ(0x42, rig.link.ReadCodeByte(0x1234));
  EXPECT_EQ(0x42, rig.link.ReadCodeByte(0x0234));
  EXPECT_EQ(0x42, rig.board.Flash()[0x234]);
  EXPECT_EQ(std::vector<std::string>(), rig.board.Violations());
}

TEST(SimBoardTest, DataLinesAreTheWiredAndWithTheLatchedByte) {
  Rig rig;
  rig.board.SetFlash(std::vector<uint8_t>(kChipSize, 0xA5));
  rig.Out(kFlashRegister, 0x0F00C010, 4);  // a read that latches 0F, not FF
  rig.Control(2);
  EXPECT_EQ(0x05, rig.InData());
  rig.Control(3);  // control bit 0 high: the chip lets go of the lines
  EXPECT_EQ(0x0F, rig.InData());
  EXPECT_EQ(std::vector<std::string>(), rig.board.Violations());
}

TEST(SimBoardTest, ProgramCycleWithoutSleepsFailsByDataPolling) {
  Rig rig;
  rig.Control(3);
  rig.Out(kFlashRegister, 0x3500C010, 4);
  rig.Control(7);
  rig.Control(5);
  rig.Control(7);
  rig.Control(3);
  // Still writing: every read answers with bit 7 of the byte inverted, and
  // virtual time stands still while the reads only yield.
  for (int pass = 0; pass < 10; ++pass)
    EXPECT_EQ(0xB5, rig.link.ReadCodeByte(0x10));
  ASSERT_EQ(1u, rig.board.Violations().size());
  EXPECT_EQ("programming voltage switched off 0.000 ms after the program "
            "pulse, while the chip is still writing",
            rig.board.Violations()[0]);
  rig.clock.AdvanceUs(SimBoard::kByteWriteUs - 1);
  EXPECT_EQ(0xB5, rig.InData());
  rig.clock.AdvanceUs(1);
  EXPECT_EQ(0x35, rig.InData());
}

// A wrong cycle, driven port by port, and what the board says about it.
struct WrongCycle {
  const char* name;
  std::function<void(Rig*)> run;
  const char* violation;  // part of the first violation recorded
  std::function<void(Rig*)> check;  // what the chip shows afterwards
};

void NotErased(Rig* rig) { EXPECT_EQ(0x00, rig->link.ReadCodeByte(0x20)); }

TEST(SimBoardTest, WrongCyclesAreViolations) {
  const WrongCycle cases[] = {
      {"erase pulse shorter than 10 ms",
       [](Rig* r) {
         r->Out(kAddressHighByte, 0, 1);
         r->Control(6);
         r->Control(4);
         r->clock.AdvanceUs(SimBoard::kMinEraseUs - 1);
         r->Control(6);
         r->Control(2);
       },
       "erase pulse of 9.999 ms is shorter than 10 ms", NotErased},
      {"strobe pulse with the voltage off",
       [](Rig* r) {
         r->Control(3);
         r->Out(kFlashRegister, 0x0000C021, 4);
         r->Control(1);
         r->clock.SleepMs(1);
         r->Control(3);
       },
       "strobe pulse with the programming voltage off",
       [](Rig* r) { EXPECT_EQ(0xFF, r->link.ReadCodeByte(0x21)); }},
      {"flash register changed during the pulse",
       [](Rig* r) {
         r->Control(3);
         r->Out(kFlashRegister, 0x0000C021, 4);
         r->Control(7);
         r->Control(5);
         r->Out(kFlashRegister, 0x0000C022, 4);
         r->Control(7);
       },
       "flash access register written while the strobe is low", nullptr},
      {"voltage dropped during the erase pulse",
       [](Rig* r) {
         r->Out(kAddressHighByte, 0, 1);
         r->Control(6);
         r->Control(4);
         r->clock.SleepMs(100);
         r->Control(0);
         r->Control(2);
       },
       "control 4 -> 0 changes the programming voltage", NotErased},
      {"strobe and voltage together",
       [](Rig* r) {
         r->Out(kAddressHighByte, 0, 1);
         r->Control(2);
         r->Control(4);
         r->clock.SleepMs(100);
         r->Control(6);
       },
       "control 2 -> 4 changes the programming voltage", NotErased},
      {"second program pulse while the chip writes",
       [](Rig* r) {
         r->Control(3);
         r->Out(kFlashRegister, 0xF000C021, 4);
         r->Control(7);
         r->Control(5);
         r->Control(7);
         r->clock.AdvanceUs(1000);
         r->Control(5);
         r->Control(7);
       },
       "strobe pulse 1.000 ms after the program pulse, while the chip is "
       "still writing",
       nullptr},
      {"pulse in read mode",
       [](Rig* r) {
         r->Out(kFlashRegister, 0x0000C021, 4);
         r->Control(6);
         r->Control(4);
         r->clock.SleepMs(1);
         r->Control(6);
       },
       "mode lines high, high and control bit 0 low selects neither",
       NotErased},
      {"cycle after port access is released",
       [](Rig* r) {
         r->link.ShutdownWinIo();
         EXPECT_EQ(0xFF, r->link.ReadCodeByte(0x20));
       },
       "out C0D4 <- FF00C020 (4) while port access is released",
       [](Rig* r) {
         EXPECT_EQ(4u, r->board.Violations().size())
             << "two writes and one pair of reads";
       }},
  };
  for (const WrongCycle& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    std::vector<uint8_t> flash(kChipSize, 0xFF);
    flash[0x20] = 0x00;
    rig.board.SetFlash(flash);
    c.run(&rig);
    const std::vector<std::string> violations = rig.board.Violations();
    ASSERT_FALSE(violations.empty());
    EXPECT_NE(std::string::npos, violations[0].find(c.violation))
        << violations[0];
    if (c.check) c.check(&rig);
  }
}

TEST(SimBoardTest, AccessesOutsideTheRegistersAreViolations) {
  struct Case {
    bool read;
    uint16_t port;
    uint32_t value;
    int size;
    const char* violation;
  } cases[] = {
      {false, 0x378, 0x0A, 1, "control value A sets bits above bit 2"},
      {false, 0xC0D4, 0xC0, 1, "out C0D4 <- C0 (1): no register of that size"},
      {false, 0xC0D5, 0, 4, "out C0D5 <- 0 (4): no register of that size"},
      {false, 0xC0D7, 0x12, 1, "out C0D7 <- 12 (1): no register"},
      {false, 0x379, 2, 1, "out 379 <- 2 (1): no register"},
      {true, 0xC0D7, 0, 4, "in C0D7 (4): no readable register"},
      {true, 0xC0D4, 0, 1, "in C0D4 (1): no readable register"},
  };
  for (const Case& c : cases) {
    Rig rig;
    uint32_t value = 0;
    if (c.read) {
      rig.link.GetPortVal(c.port, &value, c.size);
      EXPECT_EQ(0xFFu, value);
    } else {
      rig.link.SetPortVal(c.port, c.value, c.size);
    }
    ASSERT_EQ(1u, rig.board.Violations().size()) << c.violation;
    EXPECT_NE(std::string::npos, rig.board.Violations()[0].find(c.violation))
        << rig.board.Violations()[0];
  }
}

TEST(SimBoardTest, AccessBeforeInitializeIsAViolation) {
  VirtualClock clock;
  SimBoard board(&clock, BoardSettings());
  uint32_t value = 0;
  EXPECT_FALSE(board.GetPortVal(0xC0D7, &value, 1));
  EXPECT_EQ(0xFFu, value);
  EXPECT_FALSE(board.SetPortVal(0x378, 2, 1));
  ASSERT_EQ(2u, board.Violations().size());
  EXPECT_EQ("in C0D7 (1) while port access is released",
            board.Violations()[0]);
  board.ClearViolations();
  EXPECT_TRUE(board.Violations().empty());
}

TEST(SimBoardTest, TraceShowsAccessesAndSleepsInterleaved) {
  VirtualClock clock;
  Trace trace;
  TracingClock tracing(&clock, &trace);
  SimBoard board(&clock, BoardSettings());
  board.SetTrace(&trace);
  ProgrammerLink link(&board, &tracing);
  clock.AdvanceUs(5000);  // times count from the first line
  link.InitializeWinIo();
  link.WriteCodeByte(0x0123, 0xA5);
  board.SetTrace(nullptr);
  link.ReadCodeByte(0x0123);
  const std::vector<std::string> expected = {
      "     0.000 ms  InitializeWinIo",
      "     0.000 ms  out 378 <- 3 (1)",
      "     0.000 ms  sleep 0",
      "     0.000 ms  out C0D4 <- A500C123 (4)",
      "     0.000 ms  sleep 0",
      "     0.000 ms  out 378 <- 7 (1)",
      "     0.000 ms  sleep 0",
      "     0.000 ms  out 378 <- 5 (1)",
      "     0.000 ms  sleep 1",
      "     1.000 ms  out 378 <- 7 (1)",
      "     1.000 ms  sleep 2",
      "     3.000 ms  out 378 <- 3 (1)",
      "     3.000 ms  sleep 0",
      // The board no longer traces; the clock still does.
      "     3.000 ms  sleep 0",
      "     3.000 ms  sleep 0",
      "     3.000 ms  sleep 0",
      "     3.000 ms  sleep 0",
  };
  EXPECT_EQ(expected, trace.Lines());
  trace.Clear();
  EXPECT_TRUE(trace.Lines().empty());
}

TEST(SimBoardTest, TraceTakenInPartsKeepsOneTimeScale) {
  Trace trace;
  trace.AddAt(5000, "a");
  trace.AddAt(6500, "b");
  EXPECT_EQ(std::vector<std::string>({"     0.000 ms  a", "     1.500 ms  b"}),
            trace.TakeLines());
  EXPECT_TRUE(trace.Lines().empty());
  trace.AddAt(9000, "c");
  EXPECT_EQ(std::vector<std::string>({"     4.000 ms  c"}), trace.TakeLines());
  trace.Clear();
  trace.AddAt(9000, "d");
  EXPECT_EQ(std::vector<std::string>({"     0.000 ms  d"}), trace.Lines());
}

}  // namespace
