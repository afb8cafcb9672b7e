#include "cli/cli.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/format.h"
#include "image/intel_hex.h"
#include "link/linux_port_io.h"
#include "sim/sim_board.h"
#include "testing/board_rig.h"
#include "testing/fake_system.h"
#include "testing/interrupting_clock.h"
#include "testing/recording_instructions.h"

namespace {

// The command line run whole in the process on a virtual clock that
// presses Ctrl-C at `interrupt_at_us`, on the simulated board kept in
// board/ of a fresh folder, or (`sim` false) on the Linux backend over
// recorded instructions and a fake system.
class CliTest : public ::testing::Test {
 protected:
  using Clock = InterruptingClock;
  struct Result {
    int code;
    std::string out, err;
  };
  // Standard input holds `in`, or is `input_` when set.
  Result Run(std::vector<std::string> args, bool sim = true,
             bool terminal = false, const std::string& in = "") {
    if (sim) args.insert(args.begin(), {"--sim", P("board")});
    std::istringstream input(in);
    std::ostringstream out, err;
    CliEnv env;
    env.in = input_ != nullptr ? input_ : &input;
    env.out = &out;
    env.err = &err;
    env.err_is_terminal = terminal;
    env.clock = &clock_;
    env.interrupted = &clock_.interrupted;
    env.open_real_port = [this](const BoardPorts& ports, const std::string&,
                                std::string*) -> std::unique_ptr<PortIo> {
      if (real_port_) return real_port_(ports);
      return std::make_unique<LinuxPortIo>(&io_, ports, system_.root);
    };
    env.boards_files = {dir_ / "home/boards.ini", dir_ / "etc/boards.ini"};
    env.can_find_ports = !sim;
    env.system_root = system_.root;
    // The fine clock, when asked for, notes the virtual time it was held
    // from and to.
    struct Held : ClockResolution {
      Held(CliTest* t) : test(t) { test->fine_clock_from_ = test->clock_.NowUs(); }
      ~Held() override { test->fine_clock_to_ = test->clock_.NowUs(); }
      CliTest* test;
    };
    env.hold_fine_clock = [this] { return std::make_unique<Held>(this); };
    const int code = RunCli(args, env);
    return {code, out.str(), err.str()};
  }
  std::string P(const std::string& name) const {
    return (dir_ / name).string();
  }
  std::string Chip() const { return Slurp(dir_ / "board/simchip.bin"); }
  // Every file under the test's folder, with its mode and bytes.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(dir_)) {
      struct stat st;
      lstat(entry.path().c_str(), &st);
      files[entry.path().string()] =
          std::to_string(st.st_mode) + ":" +
          (S_ISREG(st.st_mode) ? Slurp(entry.path()) : "");
    }
    return files;
  }

  std::filesystem::path dir_ = FreshDir();
  Clock clock_;
  // Boards' threads may hold it at once.
  std::atomic<uint64_t> fine_clock_from_{UINT64_MAX}, fine_clock_to_{UINT64_MAX};
  FakeSystem system_;
  RecordingInstructions io_;
  std::istream* input_ = nullptr;
  // Real ports, when set: the port access to the board at the ports given.
  std::function<std::unique_ptr<PortIo>(const BoardPorts&)> real_port_;

  // Ports of this run only, so that two runs at once take no one lock.
  const uint16_t left_rtl_ = 0xC000 - getpid() % 64 * 0x100;
  const uint16_t right_rtl_ = 0xE000 - getpid() % 64 * 0x100;
  const uint16_t left_epp_ = 0x378 + getpid() % 64 * 0x10;
  const uint16_t right_epp_ = left_epp_ - 0x100;

  // The boards file b.ini naming two boards on real ports, left and right,
  // simulated in sim_boards_ (by card) with a chip each; every access asks
  // `pass` (the card, its accesses before this one) first, and is refused
  // when it says no.
  void TwoBoardsOnPorts(std::function<bool(uint16_t, int)> pass) {
    Spill(dir_ / "b.ini",
          Format("[left]\nrtl-base = %X\nepp-port = %X\n"
                 "[right]\nrtl-base = %X\nepp-port = %X\n",
                 left_rtl_, left_epp_, right_rtl_, right_epp_));
    struct Card : PortIo {
      SimBoard* board;
      std::function<bool()> pass;
      bool Open() override { return board->Open(); }
      void Close() override { board->Close(); }
      bool Write8(uint16_t p, uint8_t v) override {
        return pass() && board->Write8(p, v);
      }
      bool Write32(uint16_t p, uint32_t v) override {
        return pass() && board->Write32(p, v);
      }
      bool Read8(uint16_t p, uint8_t* v) override {
        return pass() && board->Read8(p, v);
      }
    };
    for (const auto& [rtl, epp] :
         {std::pair<uint16_t, uint16_t>{left_rtl_, left_epp_},
          {right_rtl_, right_epp_}}) {
      BoardSettings settings;
      settings.rtl_base = rtl;
      settings.epp_port = epp;
      sim_boards_[rtl] = std::make_unique<SimBoard>(&clock_, settings);
    }
    real_port_ = [this, pass](const BoardPorts& ports) {
      auto card = std::make_unique<Card>();
      card->board = sim_boards_.at(ports.rtl_base).get();
      card->pass = [pass, rtl = ports.rtl_base, n = 0]() mutable {
        return pass(rtl, n++);
      };
      return std::unique_ptr<PortIo>(std::move(card));
    };
  }
  std::map<uint16_t, std::unique_ptr<SimBoard>> sim_boards_;
};

// Each command's words and exit code on boards of each kind; every row
// starts from the board's settings and a chip holding Pattern(16).
TEST_F(CliTest, EachCommandSaysWhatHappenedAndExits) {
  Spill(dir_ / "fw.hex", ":0300000002003BC0\r\n:00000001FF\r\n");
  Spill(dir_ / "bad.hex", ":0100000000FE\r\n:00000001FF\r\n");
  Spill(dir_ / "same.bin", Pattern(16));
  Spill(dir_ / "w.bin", "\x10\x20\x30\x41");
  Spill(dir_ / "big.bin", Pattern(4097));
  Spill(dir_ / "big.hex", FormatIntelHex(std::vector<uint8_t>(8192, 0)));
  Spill(dir_ / "start.ini", "RTL8139ADDR=e800;EPPADDR=278;");
  const std::string stuck = "stuck = 1:00:80\nstuck = 3:01:00\n";
  const std::string moved = "rtl_base = E800\nepp_port = 278";
  const std::string unknown = "signature = 12 34 56", absent = "chip = absent";
  const std::string noisy = "lines = noisy";
  const std::string flicker = "flicker = 100-101";
  Spill(dir_ / "far.s37", "S309FFFFFFF8AABBCCDDF3\nS70500000000FA\n");
  Spill(dir_ / "cut.s19", "S1060000020030C7\nS108003075816080FEF3\n");
  Spill(dir_ / "notes.bin", "firmware 1.2\n");
  Spill(dir_ / "fw.dat", "S1060000020030C7\r\nS9030000FC\r\n");
  const struct Case {
    std::string board;
    int code;
    std::string said;  // in standard output or error
    std::vector<std::string> args;
  } cases[] = {
      {"", 0, "30H=1E,\t31H=51,\t32H=FF\n89C51: 4 KB of flash", {"signature"}},
      {absent, 3, "32H=FF\ntarnwick: no chip answers\n", {"signature"}},
      {absent, 3, "no chip answers (the signature reads FF", {"blank-check"}},
      {absent, 1, "write: 0 bytes programmed, 4093 skipped, 3 failed",
       {"write", P("fw.hex"), "-q", "--force"}},
      {unknown, 3, "unknown signature 12 34 56: name the part", {"erase"}},
      {unknown, 3, "unknown signature 12 34 56: name the part",
       {"write", P("fw.hex")}},
      {unknown, 0, "write: 3 bytes programmed",
       {"write", P("fw.hex"), "--part", "89c51"}},
      {unknown, 1, "names no known part; taking a 4 KB 89C51", {"blank-check"}},
      {"", 3, "--part 89c52, but the signature 1E 51 FF names an 89C51: "
              "check the chip", {"erase", "--part", "89c52"}},
      {"", 0, "erase: all 8192 bytes blank\n",
       {"erase", "--part", "89c52", "--force"}},
      {stuck, 1, "erase: 1 of 4096 bytes are not blank after the erase\n"
                 "  0003: want FF, chip FE\n", {"erase"}},
      {stuck, 1, "verify: 4096 bytes compared, 16 differ\nchip image: SUM16 "
                 "ED40, CRC-32 C3F848D9\n  0000: file 02, chip 00\n",
       {"verify", P("fw.hex"), "-q"}},
      {stuck, 1, "write: 2 bytes programmed, 0 skipped, 2 failed (the chip "
                 "was erased first)\nchip image: SUM16 ECA5, CRC-32 "
                 "68BA4386\n  0001: wrote 20, read back A0\n"
                 "  0003: wrote 41", {"write", P("w.bin")}},
      {"", 0, "write: 16 bytes programmed, 0 skipped, 0 failed\n",
       {"write", P("same.bin"), "--no-erase"}},
      {"", 2, "bad.hex:1: bad checksum", {"write", P("bad.hex")}},
      {"", 2, "notes.bin:1: a text file, but neither Intel HEX",
       {"write", P("notes.bin")}},
      {"", 0, "write: 3 bytes programmed, 4093 skipped, 0 failed",
       {"write", P("fw.dat"), "--format", "srec"}},
      // Unstable data lines: the signature, or with --force the chip read
      // twice, tells them; nothing passes as good data.
      {noisy, 1, "the signature read differently twice: the data lines",
       {"read", P("noisy.bin")}},
      {noisy, 1, "addresses read differently twice: the data lines are",
       {"blank-check", "--force", "-q"}},
      // Lines that flicker at two addresses only: those, and no others.
      {flicker, 1, "blank-check: 4096 bytes checked, 0 not blank\n"
                   "2 addresses read differently twice: the data lines are "
                   "not stable: check the board's wiring and power\n"
                   "  0100: first", {"blank-check"}},
      {flicker, 1, "erase: 0 of 4096 bytes are not blank after the erase\n"
                   "2 addresses read differently twice", {"erase"}},
      {"", 0, "warning: --part 89c52, but the signature 1E 51 FF names an "
              "89C51", {"erase", "--part", "89c52", "--force"}},
      {"", 2, "big.bin: 4097 bytes do not fit the 4096-byte 89C51",
       {"verify", P("big.bin")}},
      {"", 2, "big.hex:257: byte at address 1000 is beyond the 4096-byte "
              "89C51", {"write", P("big.hex")}},
      {"", 2, "far.s37:1: byte at address FFFFFFF8 is beyond the 4096-byte "
              "89C51", {"verify", P("far.s37")}},
      {"", 2, "far.s37:1: byte at address FFFFFFF8 is beyond the 8192-byte "
              "89C52", {"verify", P("far.s37"), "--part", "89c52", "--force"}},
      {"", 2, "cut.s19:3: no end record (S7, S8 or S9), nor a count",
       {"write", P("cut.s19")}},
      {"part = 89c52", 1, "verify: 8192 bytes compared, 8191 differ",
       {"verify", P("big.hex")}},
      {moved, 0, "89C51", {"signature", "--config", P("start.ini")}},
      {moved, 0, "89C51", {"--rtl-base", "E800", "signature", "-q",
                           "--epp-port", "278"}},
      {"", 0, "tarnwick: read took 0.", {"read", P("out.bin")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " on " + c.board);
    Spill(dir_ / "board/simboard.ini", c.board);
    std::string chip = c.board == flicker ? "" : Pattern(16);
    chip.resize(c.board == "part = 89c52" ? 8192 : 4096, '\xFF');
    Spill(dir_ / "board/simchip.bin", chip);
    const Result r = Run(c.args);
    EXPECT_EQ(c.code, r.code) << r.err;
    EXPECT_NE(std::string::npos, (r.out + r.err).find(c.said))
        << r.out << r.err;
  }
}

// A compiler's HEX output over an erased chip, traced, then read back raw
// and as HEX.
TEST_F(CliTest, WriteProgramsWhatItMustAndReadsBack) {
  Spill(dir_ / "board/simboard.ini", "trace = board.txt");
  Spill(dir_ / "fw.hex",
        ":0300000002003BC0\r\n:04003B00E4F5A02226\r\n:00000001FF\r\n");
  const std::string sums = "chip image: SUM16 EBDF, CRC-32 384A65BC\n";
  EXPECT_EQ("write: 7 bytes programmed, 4089 skipped, 0 failed\n" + sums,
            Run({"write", P("fw.hex"), "--trace", P("trace.txt")}).out);
  std::string want(4096, '\xFF');
  want.replace(0, 3, "\x02\x00\x3B", 3).replace(0x3B, 4, "\xE4\xF5\xA0\x22");
  EXPECT_EQ(want, Chip());
  // Each byte read before and after, the signature's settle time, release.
  for (const char* line :
       {"  open\n", "out C0D4 <- FF00CFFF (4)\n", "sleep 1\n", "  close\n"})
    EXPECT_NE(std::string::npos, Slurp(dir_ / "trace.txt").find(line));
  EXPECT_NE(std::string::npos,
            Slurp(dir_ / "board/board.txt").find("  close\n"));
  EXPECT_EQ("read 4096 bytes into " + P("back.HEX") + "\n" + sums,
            Run({"read", P("back.HEX")}).out);
  ChipImage hex;
  ASSERT_TRUE(ParseIntelHex(Slurp(dir_ / "back.HEX"), 4096, &hex, nullptr));
  EXPECT_EQ(want, std::string(hex.bytes.begin(), hex.bytes.end()));
  // Standard input and output: S-records in, the chip out as HEX.
  const Result r = Run({"read", "-", "--format", "ihex"});
  EXPECT_EQ(Slurp(dir_ / "back.HEX"), r.out);
  EXPECT_EQ(0, Run({"verify", "-"}, true, false,
                   "S106000002003BBC\nS107003BE4F5A02222\nS9030000FC\n").code);
}

// Ctrl-C mid-write, progress on a terminal: the write stops at the next
// address, the log gets its end line, the chip is saved as far as it got.
TEST_F(CliTest, InterruptStopsAtTheNextAddress) {
  Spill(dir_ / "image.bin", Pattern(4096));
  clock_.interrupt_at_us = 300000;  // 100 bytes into programming
  const Result r =
      Run({"write", P("image.bin"), "--log", P("bad.txt")}, true, true);
  EXPECT_EQ(130, r.code);
  EXPECT_NE(std::string::npos, r.err.find("\rprogram     00"));
  EXPECT_NE(std::string::npos, r.err.find("interrupted"));
  // Every byte counted once, and where it stopped said.
  unsigned programmed_n = 0, skipped = 0, failed = 0, not_reached = 0,
           stopped_at = 0;
  ASSERT_EQ(4, std::sscanf(r.out.c_str(),
                           "write: %u bytes programmed, %u skipped, %u "
                           "failed, %u not reached",
                           &programmed_n, &skipped, &failed, &not_reached))
      << r.out;
  EXPECT_EQ(4096u, programmed_n + skipped + failed + not_reached);
  const size_t said = r.out.find("write stopped at address ");
  ASSERT_NE(std::string::npos, said) << r.out;
  EXPECT_EQ(1, std::sscanf(r.out.c_str() + said, "write stopped at address %X",
                           &stopped_at));
  EXPECT_NE(std::string::npos, r.out.find("; the chip is partly programmed"));
  // The fine clock was held from before the first cycle to the end.
  EXPECT_EQ(0u, fine_clock_from_.load());
  EXPECT_EQ(clock_.NowUs(), fine_clock_to_.load());
  EXPECT_EQ("坏块记录开始:\r\n坏块记录结束:\r\n", Slurp(dir_ / "bad.txt"));
  const std::string chip = Chip();
  const size_t programmed = chip.find('\xFF');
  ASSERT_TRUE(programmed > 50 && programmed < 200) << programmed;
  EXPECT_EQ(Pattern(programmed), chip.substr(0, programmed));
  EXPECT_EQ(programmed, stopped_at);
  EXPECT_EQ(programmed, programmed_n);
}

// One program per board: another holding it (here, this process through
// another lock) turns a run away, naming the holder, before any port
// access; --wait waits for it, up to the time given.
TEST_F(CliTest, ABoardHeldByAnotherProgramIsRefused) {
  std::string why;
  auto held = BoardLock::Acquire(BoardLock::ResourcesOfFolder(dir_ / "board"),
                                 &clock_, 0, nullptr, &why);
  ASSERT_NE(nullptr, held) << why;
  Result r = Run({"signature"});
  EXPECT_EQ(3, r.code);
  EXPECT_EQ(0u, r.err.find("tarnwick: the board is busy: process " +
                           std::to_string(getpid()) + " (" +
                           BoardLock::ThisProcess() + ") holds the board"))
      << r.err;
  EXPECT_EQ(r.err.size() - 1, r.err.find('\n')) << "one line: " << r.err;
  EXPECT_NE(std::string::npos, r.err.find("--wait SECONDS waits for it"));
  EXPECT_EQ(UINT64_MAX, fine_clock_from_.load()) << "no chip cycle was started";
  r = Run({"signature", "--wait", "2"});
  EXPECT_EQ(3, r.code);
  EXPECT_NE(std::string::npos, r.err.find("(waited 2 s)"));
  EXPECT_EQ(2000000u, clock_.NowUs());
  held.reset();
  EXPECT_EQ(0, Run({"signature"}).code);

  // A waiting run sees the chip its holder left: the board's files are
  // read once the board is taken.
  held = BoardLock::Acquire(BoardLock::ResourcesOfFolder(dir_ / "board"),
                            &clock_, 0, nullptr, &why);
  Spill(dir_ / "new.bin", Pattern(4096));
  clock_.then_at_us = clock_.NowUs() + 500000;
  clock_.then = [&] {
    Spill(dir_ / "board/simchip.bin", Pattern(4096));
    held.reset();
  };
  r = Run({"verify", P("new.bin"), "--wait", "5"});
  EXPECT_EQ(0, r.code) << r.out << r.err;
}

// A refused run, whatever refuses it, changes no file: not the log nor
// the trace it names, not the image, not the simulated board's files. One
// file named twice by any path, link or hard link is refused before
// anything, naming both.
TEST_F(CliTest, ARefusedRunChangesNoFile) {
  Spill(dir_ / "k.log", "old\r\n");
  chmod(P("k.log").c_str(), 0600);
  Spill(dir_ / "t.txt", "old trace\n");
  Spill(dir_ / "out.bin", "old image");
  Spill(dir_ / "fw.hex", ":0300000002003BC0\r\n:00000001FF\r\n");
  Spill(dir_ / "big.hex", FormatIntelHex(std::vector<uint8_t>(8192, 0)));
  std::filesystem::create_hard_link(dir_ / "k.log", dir_ / "hard.log");
  std::filesystem::create_symlink("k.log", dir_ / "link.log");
  const std::string fw = P("fw.hex"), k = P("k.log"), t = P("t.txt");
  const std::string out = P("out.bin");
  const struct {
    std::string board;
    bool held;  // by another program
    std::vector<std::string> args;
    int code;
    std::string said;
  } cases[] = {
      {"", true, {"write", fw, "--log", k, "--trace", t}, 3, "board is busy"},
      {"chip = absent", false, {"write", fw, "--log", k, "--trace", t}, 3,
       "no chip answers"},
      {"signature = 12 34 56", false, {"write", fw, "--log", k}, 3,
       "unknown signature"},
      {"", false, {"write", fw, "--part", "89c52", "--trace", t}, 3,
       "--part 89c52, but the signature 1E 51 FF names an 89C51"},
      {"lines = noisy", false, {"read", out, "--trace", t}, 1,
       "the signature read differently twice"},
      {"", false, {"write", P("big.hex"), "--log", k, "--trace", t}, 2,
       "beyond the 4096-byte 89C51"},
      {"", false, {"write", fw, "--log", t, "--trace", t}, 2,
       "--log " + t + " and --trace " + t + " are one file: give each"},
      {"", false, {"read", out, "--trace", out}, 2,
       "the image file " + out + " and --trace " + out + " are one file"},
      {"", false, {"write", fw, "--trace", fw}, 2, "are one file"},
      {"", false, {"write", fw, "--trace", P("board/simchip.bin")}, 2,
       "--trace " + P("board/simchip.bin") + " and the simulated board's"},
      {"", false, {"write", fw, "--log", k, "--trace", P("hard.log")}, 2,
       "are one file"},
      {"", false, {"write", fw, "--log", P("link.log"), "--trace",
                   P("board/../k.log")}, 2, "are one file"},
      {"", false, {"read", out, "--config", out}, 2, "are one file"},
      {"trace = ../t.txt", false, {"signature", "--trace", t}, 2,
       "and the simulated board's trace"},
      {"", false, {"write", fw, "--log", P("no/k.log"), "--trace", t}, 2,
       "cannot write --log " + P("no/k.log") + ": there is no folder"},
      {"", false, {"read", P("board")}, 2, ": it is a folder"},
      {"", false, {"--sim", out, "read", P("x.bin")}, 2,
       "--sim: " + out + " is not a folder"},
      {"", false, {"--sim", "/proc/nope/board", "read", P("x.bin")}, 2,
       "--sim: cannot make the folder /proc/nope/board"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.said);
    Spill(dir_ / "board/simboard.ini", c.board);
    Spill(dir_ / "board/simchip.bin", Pattern(4096));
    std::string why;
    auto held = c.held ? BoardLock::Acquire(
                             BoardLock::ResourcesOfFolder(dir_ / "board"),
                             &clock_, 0, nullptr, &why)
                       : nullptr;
    const auto before = Files();
    const Result r = Run(c.args, c.args[0] != "--sim");
    EXPECT_EQ(c.code, r.code) << r.err;
    EXPECT_NE(std::string::npos, r.err.find(c.said)) << r.err;
    EXPECT_TRUE(before == Files());
  }
}

// Whatever `read` writes, in every format its name or --format gives, is
// taken back by `verify` and `write` for the whole chip, whatever the chip
// holds: a blank chip's backup too.
TEST_F(CliTest, EveryBackupComesBack) {
  const struct {
    const char* board;
    std::string chip;
  } chips[] = {
      {"", std::string(4096, '\xFF')},
      {"", std::string(4096, '\0')},
      {"", Pattern(4096)},
      {"part = 89c52", Pattern(8192)},
  };
  // Each name, and the first character of the file read into it ('\0':
  // raw, the chip's first byte).
  const std::pair<const char*, char> names[] = {
      {"b.hex", ':'},  {"b.ihx", ':'}, {"b.ihex", ':'}, {"b.s19", 'S'},
      {"b.s28", 'S'},  {"b.s37", 'S'}, {"b.srec", 'S'}, {"b.mot", 'S'},
      {"b.bin", '\0'}, {"b.raw", '\0'}, {"b.img", '\0'}, {"b.dat", '\0'}};
  for (const auto& chip : chips) {
    Spill(dir_ / "board/simboard.ini", chip.board);
    for (const auto& [name, lead] : names) {
      SCOPED_TRACE(std::string(name) + " of " + chip.chip.substr(0, 2));
      Spill(dir_ / "board/simchip.bin", chip.chip);
      Result r = Run({"read", P(name), "-q"});
      ASSERT_EQ("", r.err);
      ASSERT_EQ(0, r.code);
      EXPECT_EQ(lead != '\0' ? lead : chip.chip[0], Slurp(dir_ / name)[0]);
      r = Run({"verify", P(name)});
      EXPECT_EQ(0, r.code) << r.out << r.err;
      EXPECT_NE(std::string::npos,
                r.out.find(std::to_string(chip.chip.size()) +
                           " bytes compared, 0 differ"))
          << r.out;
      Spill(dir_ / "board/simchip.bin",
            std::string(chip.chip.size(), '\x55'));
      r = Run({"write", P(name), "-q"});
      EXPECT_EQ(0, r.code) << r.err;
      EXPECT_TRUE(chip.chip == Chip());
    }
  }
  // Raw bytes that read as text, in a file whose name says no format: the
  // read says how to take them back.
  Spill(dir_ / "board/simboard.ini", "");
  Spill(dir_ / "board/simchip.bin", std::string(4096, 'S'));
  Result r = Run({"read", P("b.dat")});
  EXPECT_NE(std::string::npos,
            r.err.find("warning: " + P("b.dat") + " reads as text: give "
                       "--format raw to write or verify it"))
      << r.err;
  EXPECT_EQ(0, Run({"verify", P("b.dat"), "--format", "raw"}).code);
}

// A stop says what became of the chip: unchanged, or erased (partly
// programmed: InterruptStopsAtTheNextAddress).
TEST_F(CliTest, AStopSaysWhatBecameOfTheChip) {
  Spill(dir_ / "image.bin", Pattern(4096));  // needs an erase over zeros
  const std::string zeros(4096, '\0');
  const struct {
    std::vector<std::string> args;
    uint64_t at_us, at_call;
    std::string said;
    std::string chip;  // afterwards
  } cases[] = {
      {{"write", P("image.bin")}, UINT64_MAX, 3000,
       "write stopped before changing anything: the chip is unchanged", zeros},
      {{"write", P("image.bin")}, 50000, UINT64_MAX,
       "write stopped after the erase, before programming: the chip is "
       "erased", std::string(4096, '\xFF')},
      {{"erase"}, UINT64_MAX, 10,
       "interrupted; stopped at the next address: the chip is unchanged",
       zeros},
      {{"read", P("out.bin")}, UINT64_MAX, 3000,
       "stopped at the next address: no file written; the chip is unchanged",
       zeros},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.said);
    Spill(dir_ / "board/simchip.bin", zeros);
    clock_.calls = 0;
    clock_.interrupted = false;
    clock_.interrupt_at_us = clock_.NowUs() + c.at_us;
    clock_.interrupt_at_call = c.at_call;
    const Result r = Run(c.args);
    EXPECT_EQ(130, r.code);
    EXPECT_NE(std::string::npos, (r.out + r.err).find(c.said))
        << r.out << r.err;
    EXPECT_TRUE(c.chip == Chip());
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out.bin"));
  }
}

// Standard input has the limit of a file, refused as soon as it is passed
// (signals_test stops its reading); the summaries of write and verify stay
// on standard output.
TEST_F(CliTest, StandardInputIsBoundedAndSummariesStayOnOutput) {
  // Endless zeros, counted.
  struct Endless : std::streambuf {
    char block[4096] = {};
    uint64_t given = 0;
    int_type underflow() override {
      given += sizeof block;
      setg(block, block, block + sizeof block);
      return 0;
    }
  } endless;
  std::istream in(&endless);
  input_ = &in;
  Result r = Run({"write", "-"});
  EXPECT_EQ(2, r.code);
  EXPECT_EQ("tarnwick: standard input: more than 16777216 bytes, more than "
            "any image file holds\n", r.err);
  EXPECT_LE(endless.given, (16u << 20) + 65536 + 4096);
  input_ = nullptr;
  const std::string hex = ":0300000002003BC0\r\n:00000001FF\r\n";
  r = Run({"write", "-"}, true, false, hex);
  const std::string sums = "chip image: SUM16 ED40, CRC-32 C3F848D9\n";
  EXPECT_EQ("write: 3 bytes programmed, 4093 skipped, 0 failed\n" + sums,
            r.out);
  r = Run({"verify", "-"}, true, false, hex);
  EXPECT_EQ("verify: 4096 bytes compared, 0 differ\n" + sums, r.out);
}

// The Linux backend: the card and port found in the system's files and
// opened to the run, driven, and closed; a refusal touches no port.
TEST_F(CliTest, LinuxFindsItsPortsOrTouchesNothing) {
  // Ports of this run only, so that two runs at once take no one lock.
  const unsigned rtl = 0xE800 - getpid() % 64 * 0x100;
  const unsigned epp = 0x278 + getpid() % 64 * 0x10;
  system_.AddPciDevice("0000:02:01.0", 0x10EC, 0x8139,
                       Rtl8139Resources(rtl));
  Spill(system_.root / "proc/ioports",
        Format("%04x-%04x : parport0\n", epp, epp + 2));
  EXPECT_NE(std::string::npos,
            Run({"signature"}, false)
                .err.find(Format("I/O %X and the parallel port at %X", rtl,
                                 epp)));
  const std::string open = Format("ioperm+%X:4 ioperm+%X:1", rtl + 0xD4, epp);
  const std::string close = Format("ioperm-%X:1 ioperm-%X:4", epp, rtl + 0xD4);
  EXPECT_EQ(0u, io_.log.find(open + Format(" outl %X FF000032 outb %X 2 inb %X",
                                           rtl + 0xD4, epp, rtl + 0xD7)));
  EXPECT_EQ(io_.log.size() - close.size(), io_.log.rfind(close));
  io_.log.clear();
  io_.ioperm_error = EPERM;
  EXPECT_NE(std::string::npos, Run({"erase"}, false).err.find("refused: "));
  EXPECT_EQ(Format("ioperm+%X:4", rtl + 0xD4), io_.log) << "no port touched";
}

// Named boards side by side: each its own run, told with its name; a board
// refused (no chip, held by another program) ends only its own run, and
// writes none of its files.
TEST_F(CliTest, NamedBoardsRunSideBySide) {
  Spill(dir_ / "etc/boards.ini",
        "[a]\nsim = a\n[b]\nsim = b\n[c]\nsim = ../c\n");
  Spill(dir_ / "fw.hex", ":0300000002003BC0\r\n:00000001FF\r\n");
  for (const char* board : {"a", "b", "etc/c"})
    Spill(dir_ / "etc" / board / "simchip.bin", Pattern(4096));
  Spill(dir_ / "etc/b/simboard.ini", "chip = absent");
  std::string why;
  auto held = BoardLock::Acquire(BoardLock::ResourcesOfFolder(dir_ / "c"),
                                 &clock_, 0, nullptr, &why);
  Spill(dir_ / "c/simchip.bin", Pattern(4096));
  Result r = Run({"--board", "all", "write", P("fw.hex"), "--trace",
                  P("t-{board}.txt")}, false);
  EXPECT_EQ(3, r.code);
  EXPECT_NE(std::string::npos,
            r.out.find("a: write: 3 bytes programmed, 4093 skipped"));
  EXPECT_NE(std::string::npos,
            r.err.find("tarnwick: b: no chip answers (the signature reads"));
  EXPECT_NE(std::string::npos,
            r.err.find("tarnwick: c: the board is busy: process " +
                       std::to_string(getpid())));
  EXPECT_NE(std::string::npos,
            r.out.find("write on 3 boards: a ok, b exit 3, c exit 3\n"));
  EXPECT_EQ(0x02, Slurp(dir_ / "etc/a/simchip.bin")[0]);
  EXPECT_NE(std::string::npos, Slurp(dir_ / "t-a.txt").find("  close\n"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "t-b.txt"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "t-c.txt"));

  // Released: each board's chip read into a file of its own name.
  held.reset();
  r = Run({"--json", "--board", "c", "read", P("r-{board}.bin"), "--board",
           "a"}, false);
  EXPECT_EQ(0, r.code) << r.err;
  EXPECT_EQ(Pattern(4096), Slurp(dir_ / "r-c.bin"));
  EXPECT_EQ(Slurp(dir_ / "etc/a/simchip.bin"), Slurp(dir_ / "r-a.bin"));
  for (const char* said :
       {"\"target\":\"boards\",\"boards\":[{\"board\":\"c\",\"sim\":",
        "\"board\":\"a\",\"command\":\"read\",\"outcome\":\"pass\"",
        "\"board\":\"c\",\"command\":\"read\",\"outcome\":\"pass\"",
        "\"exit\":0,\"boards\":[{\"board\":\"c\",\"exit\":0},{\"board\":"
        "\"a\",\"exit\":0}]}\n"})
    EXPECT_NE(std::string::npos, r.out.find(said)) << said;
}

// What the boards file or the names refuse, with exit code 2, touching no
// board.
TEST_F(CliTest, NamedBoardsRefused) {
  const std::string file = P("b.ini");
  Spill(dir_ / "b.ini", "[a]\nsim = a\n[b]\nsim = b\n");
  Spill(dir_ / "bad.ini", "[a]\nsim = a\n[a b]\n");
  const struct {
    std::vector<std::string> args;
    std::string said;
  } cases[] = {
      {{"--board", "a", "erase"},
       "no boards file (looked for " + P("home/boards.ini") + ", " +
           P("etc/boards.ini") + "): give one with --boards FILE"},
      {{"--boards", file, "--board", "z", "erase"},
       "no board named \"z\" in the boards file " + file},
      {{"--boards", P("bad.ini"), "--board", "a", "erase"},
       P("bad.ini") + ": line 3: \"a b\" is not a board name"},
      {{"--boards", file, "--board", "all", "read", P("x.bin")},
       "2 boards: read FILE needs {board} in its name"},
      {{"--boards", file, "--board", "all", "verify", "-"},
       "2 boards: the image cannot come from standard input"},
      {{"--boards", file, "--board", "all", "selftest"},
       "2 boards: selftest takes one board at a time"},
  };
  const auto before = Files();
  for (const auto& c : cases) {
    const Result r = Run(c.args, false);
    EXPECT_EQ(2, r.code) << r.err;
    EXPECT_EQ(0u, r.err.find("tarnwick: " + c.said)) << r.err;
    EXPECT_EQ(r.err.size() - 1, r.err.find('\n')) << "one line";
  }
  EXPECT_TRUE(before == Files());
}

// Several boards on real ports, in one batch: serial numbers from the one
// file in turn, one journal naming each board. A board whose card stops
// answering mid-chip (port access refused) ends its own run, saying why;
// the other goes on.
TEST_F(CliTest, ABoardWhosePortsFailEndsItsRunAlone) {
  Spill(dir_ / "fw.bin", Pattern(64));
  // The right board's card refuses every access past its 300th.
  TwoBoardsOnPorts(
      [this](uint16_t rtl, int n) { return rtl != right_rtl_ || n < 300; });
  const Result r = Run(
      {"--boards", P("b.ini"), "--board", "all", "batch", P("fw.bin"),
       "--serial", "40,2,le", "--serial-file", P("s.txt"), "--serial-start",
       "7", "--journal", P("j.csv"), "--count", "1"}, false);
  EXPECT_EQ(3, r.code) << r.err;
  EXPECT_NE(std::string::npos,
            r.err.find("tarnwick: right: the port-access library refused the "
                       "ports\n")) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("left: chip 1: PASS serial ")) << r.out;
  EXPECT_NE(std::string::npos,
            r.out.find("batch on 2 boards: 1 passed, 1 failed; yield 50.0 %"))
      << r.out;
  EXPECT_NE(std::string::npos, r.out.find("boards: left ok, right exit 3\n"));
  // Two numbers taken, one each, in either order; the file names the next.
  EXPECT_EQ("9\n", Slurp(dir_ / "s.txt"));
  const std::string journal = Slurp(dir_ / "j.csv");
  const std::string lefts = ",left,1,1E 51 FF,89C51,";
  const std::string rights = ",right,1,1E 51 FF,89C51,";
  const size_t left = journal.find(lefts), right = journal.find(rights);
  ASSERT_NE(std::string::npos, left) << journal;
  ASSERT_NE(std::string::npos, right) << journal;
  const char left_serial = journal[left + lefts.size()];
  const char right_serial = journal[right + rights.size()];
  EXPECT_EQ(15, left_serial - '0' + right_serial - '0');  // 7 and 8
  EXPECT_NE(std::string::npos, journal.find(",pass,", left));
  EXPECT_NE(std::string::npos, journal.find(",fail,", right));
  const std::vector<uint8_t> chip = sim_boards_.at(left_rtl_)->Flash();
  const std::string flash(chip.begin(), chip.begin() + 0x42);
  EXPECT_EQ(Pattern(64).substr(0, 0x40), flash.substr(0, 0x40));
  EXPECT_EQ(left_serial - '0', flash[0x40]);
}

// Ctrl-C mid-chip ends every board at its next address: each board's chip
// journaled as stopped and its words said, the totals of the run written.
TEST_F(CliTest, CtrlCEndsEveryBoard) {
  Spill(dir_ / "fw.bin", Pattern(4096));
  // Each board waits at its 30000th access, well into programming, for the
  // other to reach its own; then Ctrl-C.
  std::mutex mutex;
  std::condition_variable both;
  int arrived = 0;
  TwoBoardsOnPorts([&](uint16_t, int n) {
    if (n != 30000) return true;
    std::unique_lock<std::mutex> hold(mutex);
    if (++arrived == 2) {
      clock_.interrupted = true;
      both.notify_all();
    }
    both.wait_for(hold, std::chrono::minutes(2), [&] { return arrived == 2; });
    return true;
  });
  const Result r = Run({"--boards", P("b.ini"), "--board", "all", "batch",
                        P("fw.bin"), "--journal", P("j.csv"), "--no-bell"},
                       false);
  EXPECT_EQ(130, r.code) << r.err;
  const std::string journal = Slurp(dir_ / "j.csv");
  for (const char* board : {"left", "right"}) {
    const std::string line = "," + std::string(board) + ",1,1E 51 FF,";
    const size_t at = journal.find(line);
    ASSERT_NE(std::string::npos, at) << journal;
    EXPECT_NE(std::string::npos,
              journal.substr(at, journal.find('\n', at) - at)
                  .find(",stopped,")) << journal;
    EXPECT_NE(std::string::npos,
              r.out.find(std::string(board) + ": chip 1: STOPPED")) << r.out;
  }
  EXPECT_NE(std::string::npos,
            r.out.find("batch on 2 boards: 0 passed, 0 failed, 2 stopped"))
      << r.out;
  EXPECT_NE(std::string::npos,
            r.out.find("boards: left exit 130, right exit 130"));
}

// boards: each board, whether its card and port are in the system's files,
// and who holds it, asked without taking it.
TEST_F(CliTest, BoardsSaysWhatEachIsAndWhoHoldsIt) {
  TwoBoardsOnPorts([](uint16_t, int) { return true; });
  system_.AddPciDevice("0000:02:01.0", 0x10EC, 0x8139,
                       Rtl8139Resources(left_rtl_));
  Spill(system_.root / "proc/ioports",
        Format("%04x-%04x : parport0\n", left_epp_, left_epp_ + 2));
  std::string why;
  const auto held = BoardLock::Acquire(
      BoardLock::ResourcesOfPorts(right_rtl_, right_epp_), &clock_, 0,
      nullptr, &why);
  ASSERT_NE(nullptr, held) << why;
  const Result r = Run({"--boards", P("b.ini"), "boards"}, false);
  EXPECT_EQ(0, r.code) << r.err;
  EXPECT_EQ(Format("Boards of %s:\n"
                   "  left   RTL8139 at %X, parallel port at %X; card found "
                   "(0000:02:01.0), port found (parport0); free\n"
                   "  right  RTL8139 at %X, parallel port at %X; no card "
                   "there, no parallel port there; held: process %d (%s) "
                   "holds the board\n",
                   P("b.ini").c_str(), left_rtl_, left_epp_, right_rtl_,
                   right_epp_, getpid(), BoardLock::ThisProcess().c_str()),
            r.out);
  EXPECT_EQ("", io_.log) << "no port touched";
}

}  // namespace
