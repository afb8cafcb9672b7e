// Bringing a board to life, run whole in the process on the simulated
// board and a virtual clock: the line check, and failures explained.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "base/format.h"
#include "cli/cli.h"
#include "cli/failure_words.h"
#include "testing/board_rig.h"

namespace {

class BringUpTest : public ::testing::Test {
 protected:
  // Presses Ctrl-C once the virtual time reaches `interrupt_at_us`.
  struct Clock : VirtualClock {
    uint64_t interrupt_at_us = UINT64_MAX;
    std::atomic<bool> interrupted{false};
    void SleepMs(uint32_t ms) override {
      VirtualClock::SleepMs(ms);
      interrupted = interrupted || NowUs() >= interrupt_at_us;
    }
  };
  struct Result {
    int code;
    std::string out, err;
  };
  // Runs on the board kept in board/ with `settings`, standard input
  // giving `in`; a selftest is traced into trace.txt.
  Result Run(const std::string& settings, std::vector<std::string> args,
             const std::string& in = "") {
    Spill(dir_ / "board/simboard.ini", settings);
    args.insert(args.end(), {"--sim", P("board")});
    if (args[0] == "selftest")
      args.insert(args.end(), {"--trace", P("trace.txt")});
    return Exec(args, in);
  }
  // Runs `args` as they are (no port access is given).
  Result Exec(const std::vector<std::string>& args,
              const std::string& in = "") {
    std::istringstream input(in);
    std::ostringstream out, err;
    CliEnv env;
    env.in = &input;
    env.out = &out;
    env.err = &err;
    env.clock = &clock_;
    env.interrupted = &clock_.interrupted;
    const int code = RunCli(args, env);
    return {code, out.str(), err.str()};
  }
  std::string P(const std::string& name) const {
    return (dir_ / name).string();
  }
  // The trace's port accesses, without their times.
  std::vector<std::string> Accesses() const {
    std::vector<std::string> lines;
    std::istringstream trace(Slurp(dir_ / "trace.txt"));
    for (std::string line; std::getline(trace, line);) {
      const size_t at = line.find("ms  ");
      if (at != std::string::npos && line.find("sleep") == std::string::npos)
        lines.push_back(line.substr(at + 4));
    }
    return lines;
  }

  std::filesystem::path dir_ = FreshDir();
  Clock clock_;
};

constexpr char kEmpty[] = "chip = absent\n";

// Each step holds its line, register first with the strobe high, and says
// which bit and pin it is; the control values never have bit 2 set without
// --control, which sets 6 once; the board ends at rest and released.
TEST_F(BringUpTest, SelftestWalksEveryLineInTurn) {
  for (const bool control : {false, true}) {
    SCOPED_TRACE(control);
    std::vector<std::string> args = {"selftest"};
    if (control) args.push_back("--control");
    const int steps = control ? 27 : 26;
    std::filesystem::remove(dir_ / "board/board.txt");
    const Result r = Run(std::string(kEmpty) + "trace = board.txt\n", args,
                         std::string(steps, '\n'));
    EXPECT_EQ(0, r.code) << r.err;
    // The board saw one thing outside the chip's cycles: the strobe step,
    // a pulse with the voltage off. Never the register written with the
    // strobe low, nor the voltage changed during a pulse.
    std::istringstream board(Slurp(dir_ / "board/board.txt"));
    int violations = 0;
    for (std::string line; std::getline(board, line);) {
      if (line.find("violation") == std::string::npos) continue;
      ++violations;
      EXPECT_NE(std::string::npos,
                line.find("strobe pulse with the programming voltage off"))
          << line;
    }
    EXPECT_EQ(1, violations);
    for (const char* said :
         {" 1/%d  address line A0 (flash register bit 0): high at P1.0, pin 1",
          "14/%d  address line A13 (flash register bit 13): high at P2.5, pin "
          "26",
          "16/%d  mode line (flash register bit 15): high at P2.7, pin 28",
          "17/%d  data line D0 (flash register bit 24): high at P0.0, pin 39",
          "24/%d  data line D7 (flash register bit 31): high at P0.7, pin 32",
          "26/%d  control port bit 1 (the programming strobe): low (control "
          "value 0",
          "all 8 data lines read back as driven"}) {
      EXPECT_NE(std::string::npos, r.out.find(Format(said, steps))) << said;
    }
    EXPECT_EQ(control, r.out.find("27/27  control port bit 2 (the programming "
                                  "voltage): on (control value 6") !=
                           std::string::npos);
    // The register's values from the first step on: each line alone, all
    // low for the control steps, then the data lines released and pulled
    // low for the read-back, and at rest.
    const std::vector<std::string> a = Accesses();
    std::vector<uint32_t> held, want;
    for (const std::string& line : a) {
      if (line.find("out C0D4 <- ") == 0)
        held.push_back(std::stoul(line.substr(12), nullptr, 16));
    }
    for (int bit = 0; bit < 16; ++bit) want.push_back(1u << bit);
    for (int bit = 24; bit < 32; ++bit) want.push_back(1u << bit);
    want.insert(want.end(), control ? 3 : 2, 0);
    want.insert(want.end(), {0xFF000000u, 0, 0xFF000000u});
    ASSERT_GE(held.size(), want.size());
    EXPECT_EQ(want, std::vector<uint32_t>(held.end() - want.size(), held.end()));
    int sixes = 0;
    for (size_t n = 0; n < a.size(); ++n) {
      if (a[n].find("out 378 <- ") != 0) continue;
      const unsigned value = std::stoul(a[n].substr(11), nullptr, 16);
      EXPECT_TRUE(control || !(value & 4)) << a[n];
      if (value & 4) {
        ++sixes;
        EXPECT_EQ("out 378 <- 6 (1)", a[n]);
        ASSERT_LT(n + 1, a.size());
        EXPECT_EQ("out 378 <- 2 (1)", a[n + 1]);
      }
    }
    EXPECT_EQ(control ? 1 : 0, sixes);
    ASSERT_GE(a.size(), 3u);
    EXPECT_EQ("out 378 <- 2 (1)", a[a.size() - 3]);
    EXPECT_EQ("out C0D4 <- FF000000 (4)", a[a.size() - 2]);
    EXPECT_EQ("close", a.back());
  }
}

// What the check refuses, and what the read-back of the data lines finds;
// the board ends at rest every time it was touched.
TEST_F(BringUpTest, SelftestRefusesAChipAndTellsTheDataLines) {
  const std::string enters(26, '\n');
  const struct Case {
    std::string settings;
    std::vector<std::string> args;
    std::string in;
    int code;
    const char* said;
  } cases[] = {
      {"", {"selftest"}, enters, 3,
       "a chip answers (the signature reads 1E 51 FF): the check is for an "
       "empty socket"},
      {"", {"selftest", "--force"}, enters, 0, "26/26"},
      {kEmpty, {"selftest"}, "\n\n\n", 2,
       "standard input ended; --hold SECONDS holds each line"},
      {"chip = absent\nlines = noisy", {"selftest", "--hold", "0.5"}, "", 1,
       "  D1 (P0.1, pin 38): changed "},
      {"chip = absent\nstuck_data_line = 5:0", {"selftest", "--hold", "0"}, "",
       1, "  D5 (P0.5, pin 34): reads 0 even when released: held low"},
      {"chip = absent\nstuck_data_line = 6:1", {"selftest", "--hold", "0"}, "",
       1, "  D6 (P0.6, pin 33): reads 1 even when pulled low: held high"},
      {kEmpty, {"selftest", "--hold", "0"}, "", 0,
       "  D7 (P0.7, pin 32): steady\nselftest: all 8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings + " " + c.args.back());
    const Result r = Run(c.settings, c.args, c.in);
    EXPECT_EQ(c.code, r.code) << r.err;
    EXPECT_NE(std::string::npos, (r.out + r.err).find(c.said)) << r.out << r.err;
    const std::vector<std::string> a = Accesses();
    ASSERT_GE(a.size(), 3u);
    EXPECT_EQ("close", a.back());
    if (c.code != 3) {
      EXPECT_EQ("out C0D4 <- FF000000 (4)", a[a.size() - 2]);
      EXPECT_EQ("out 378 <- 2 (1)", a[a.size() - 3]);
    }
  }
}

// A stop at any step, holding or reading back: the board at rest, port
// access released, and the step it stopped in the last one shown.
TEST_F(BringUpTest, SelftestStoppedAnywhereLeavesTheBoardAtRest) {
  for (int step = 1; step <= 28; ++step) {
    SCOPED_TRACE(step);
    // The signature's reads take about 3 ms; each step holds 1 s, and the
    // read-back follows the 27th.
    clock_.interrupted = false;
    clock_.interrupt_at_us = clock_.NowUs() + (step - 1) * 1000000ull + 500050;
    const Result r = Run(kEmpty, {"selftest", "--hold", "1", "--control"});
    EXPECT_EQ(130, r.code);
    EXPECT_NE(std::string::npos, r.err.find("interrupted; the board is left "
                                            "at rest"));
    if (step <= 27) {
      EXPECT_NE(std::string::npos, r.out.find(Format("%2d/27", step)));
      EXPECT_EQ(std::string::npos, r.out.find(Format("%2d/27", step + 1)));
      // A held line lets go within a slice of its hold.
      EXPECT_LE(clock_.NowUs(), clock_.interrupt_at_us + 100000);
    }
    const std::vector<std::string> a = Accesses();
    ASSERT_GE(a.size(), 3u);
    EXPECT_EQ("out 378 <- 2 (1)", a[a.size() - 3]);
    EXPECT_EQ("out C0D4 <- FF000000 (4)", a[a.size() - 2]);
    EXPECT_EQ("close", a.back());
  }
}

// Each fault of the board's wiring is named by the summary of the write or
// verify it spoils, with the line and its pin; a sound board names none.
TEST_F(BringUpTest, FailuresNameTheLineTheyPointAt) {
  const std::string image = Pattern(4096);
  Spill(dir_ / "image.bin", image);
  uint32_t with_bit_3 = 0;
  for (char byte : image) with_bit_3 += (byte & 8) != 0;
  const struct Case {
    std::string settings;
    std::string chip;  // the chip before; empty: erased
    std::vector<std::string> args;
    std::string said;
  } cases[] = {
      {"stuck_data_line = 3:0", "", {"write", P("image.bin"), "--part", "89c51"},
       Format("  bit 3 failed at %s addresses: is data line 3 (P0.3, pin 36) "
              "connected?",
              Thousands(with_bit_3).c_str())},
      {"stuck_address_line = 11:0", "", {"write", P("image.bin")},
       "read alike with the address 800H away: is address line 11 (P2.3, pin "
       "24) stuck or not connected?"},
      {"swapped_address_lines = 8:9", image, {"verify", P("image.bin")},
       "failing addresses read as if address lines 8 and 9 were swapped: "
       "check the wiring of P2.0, pin 21 and P2.1, pin 22"},
      {"", std::string(4096, '\0'), {"write", P("image.bin"), "--no-erase"},
       "  bits wrong: none read 1 where 0 was wanted; "},
      {"", std::string(4096, '\0'), {"write", P("image.bin"), "--no-erase"},
       " 0 where 1 was wanted (needs an erase, or a short)"},
      {kEmpty, "", {"write", P("image.bin"), "--force", "-q"},
       " read 1 where 0 was wanted (did not program: the programming voltage, "
       "the pulse, or a dead data line); none read 0 where 1 was wanted\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings + " " + c.args[0]);
    std::string chip = c.chip;
    chip.resize(4096, '\xFF');
    Spill(dir_ / "board/simchip.bin", chip);
    const Result r = Run(c.settings, c.args);
    EXPECT_EQ(1, r.code) << r.err;
    EXPECT_NE(std::string::npos, r.out.find(c.said)) << r.out;
    // Only the fault's own line is named.
    for (const char* other : {"is data line", "is address line", "swapped"}) {
      if (c.said.find(other) == std::string::npos) {
        EXPECT_EQ(std::string::npos, r.out.find(other)) << r.out;
      }
    }
  }
  Spill(dir_ / "board/simchip.bin", std::string(4096, '\xFF'));
  const Result r = Run("", {"write", P("image.bin")});
  EXPECT_EQ("write: 4096 bytes programmed, 0 skipped, 0 failed\n", r.out);
}

// The line check's options and the port library's, refused before any
// port is touched.
TEST_F(BringUpTest, RefusedUsage) {
  const struct Case {
    std::vector<std::string> args;
    const char* said;
  } cases[] = {
      {{"selftest", "--hold", "x"}, "--hold: expected seconds from 0 to 3600"},
      {{"selftest", "--hold", "3601"}, "--hold: expected seconds"},
      {{"erase", "--hold", "1"}, "--hold goes with selftest"},
      {{"erase", "--control"}, "--control goes with selftest"},
      {{"signature", "--port-library", "x.dll", "--sim", "b"},
       "--port-library drives real ports, not --sim"},
      {{"signature", "--port-library", "x.dll"},
       "--port-library: only the Windows builds load"},
  };
  for (const Case& c : cases) {
    const Result r = Exec(c.args);
    EXPECT_EQ(2, r.code) << c.said;
    EXPECT_NE(std::string::npos, r.err.find(c.said)) << r.err;
  }
}

}  // namespace
