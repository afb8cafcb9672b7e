#include "cli/cli.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "base/format.h"
#include "base/virtual_clock.h"
#include "detect/fake_system.h"
#include "image/intel_hex.h"
#include "link/linux_port_io.h"
#include "link/recording_instructions.h"

namespace {

namespace fs = std::filesystem;

// A virtual clock that presses Ctrl-C once its time passes a moment.
class InterruptingClock : public VirtualClock {
 public:
  uint64_t interrupt_at_us = UINT64_MAX;
  std::atomic<bool> interrupted{false};

  void SleepMs(uint32_t ms) override {
    VirtualClock::SleepMs(ms);
    if (NowUs() >= interrupt_at_us) interrupted = true;
  }
};

struct Result {
  int code;
  std::string out, err;
};

// The command line run whole in the process against a simulated board in
// a fresh folder, on a virtual clock.
class CliTest : public ::testing::Test {
 protected:
  CliTest() {
    const ::testing::TestInfo* test =
        ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(::testing::TempDir()) /
           (std::string("tarnwick-cli-") + test->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "board");
  }

  std::string P(const std::string& name) const { return (dir_ / name).string(); }
  std::string Board() const { return P("board"); }

  Result Run(std::vector<std::string> args, bool terminal = false) {
    std::ostringstream out, err;
    CliEnv env;
    env.out = &out;
    env.err = &err;
    env.err_is_terminal = terminal;
    env.clock = &clock_;
    env.interrupted = &clock_.interrupted;
    env.open_real_port = [](std::string* why) {
      *why = "no real ports in tests";
      return nullptr;
    };
    const int code = RunCli(args, env);
    return {code, out.str(), err.str()};
  }
  // The same with the simulated board given first.
  Result Sim(std::vector<std::string> args, bool terminal = false) {
    args.insert(args.begin(), {"--sim", Board()});
    return Run(args, terminal);
  }

  void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::string ReadFile(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void SetBoard(const std::string& settings) {
    WriteFile("board/simboard.ini", settings);
  }
  void SetChip(const std::string& bytes) {
    std::string chip = bytes;
    chip.resize(4096, '\xFF');
    WriteFile("board/simchip.bin", chip);
  }
  // The chip's content, as the board saved it (erased when never saved).
  std::string Chip() const {
    const std::string chip = ReadFile("board/simchip.bin");
    return chip.empty() ? std::string(4096, '\xFF') : chip;
  }

  fs::path dir_;
  InterruptingClock clock_;
};

std::string Image(uint32_t n) {
  std::string bytes(n, '\0');
  for (uint32_t a = 0; a < n; ++a)
    bytes[a] = static_cast<char>((a * 13 + 7) % 0xFF);
  return bytes;
}

TEST_F(CliTest, SignatureSaysWhatTheBytesMean) {
  struct Case {
    const char* settings;
    int code;
    std::string out;
    const char* err;
  } cases[] = {
      {"", 0,
       "30H=1E,\t31H=51,\t32H=FF\n89C51: 4 KB of flash, programmed at 12 V\n",
       ""},
      {"signature = 1E 51 05", 0,
       "30H=1E,\t31H=51,\t32H=5\n89C51: 4 KB of flash, programmed at 5 V\n",
       ""},
      {"signature = 12 34 05", 0,
       "30H=12,\t31H=34,\t32H=5\nunknown signature: no part of the table\n",
       ""},
      {"chip = absent", 3, "30H=FF,\t31H=FF,\t32H=FF\n",
       "tarnwick: no chip answers\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    SetBoard(c.settings);
    const Result r = Sim({"signature"});
    EXPECT_EQ(c.code, r.code);
    EXPECT_EQ(c.out, r.out);
    EXPECT_EQ(c.err, r.err);
  }
}

// A compiler's HEX output is programmed, then read back raw and as HEX.
TEST_F(CliTest, HexImageProgrammedAndReadBackRawAndAsHex) {
  WriteFile("fw.hex",
            ":0300000002003BC0\r\n"
            ":04003B00E4F5A02226\r\n"
            ":00000001FF\r\n");
  Result r = Sim({"write", P("fw.hex")});
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ("write: 7 bytes programmed, 4089 skipped, 0 failed\n", r.out);
  std::string want(4096, '\xFF');
  want.replace(0, 3, "\x02\x00\x3B", 3);
  want.replace(0x3B, 4, "\xE4\xF5\xA0\x22", 4);
  EXPECT_EQ(want, Chip());

  r = Sim({"read", P("back.bin")});
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ("read 4096 bytes into " + P("back.bin") + "\n", r.out);
  EXPECT_EQ(want, ReadFile("back.bin"));

  r = Sim({"read", P("back.HEX")});
  ASSERT_EQ(0, r.code) << r.err;
  ChipImage parsed;
  ImageError error;
  ASSERT_TRUE(ParseIntelHex(ReadFile("back.HEX"), 4096, &parsed, &error));
  EXPECT_EQ(want, std::string(parsed.bytes.begin(), parsed.bytes.end()));

  r = Sim({"verify", P("fw.hex")});
  EXPECT_EQ(0, r.code);
  EXPECT_EQ("verify: 4096 bytes compared, 0 differ\n", r.out);
}

// Programming only what must change; every byte compared at the end.
TEST_F(CliTest, DifferentialWrite) {
  const std::string image = Image(300);
  std::string cleared = image;  // reachable: the chip has bits to clear
  for (size_t a = 0; a < cleared.size(); a += 3) cleared[a] |= '\x01';
  int reachable_differ = 0;
  for (size_t a = 0; a < image.size(); ++a)
    reachable_differ += cleared[a] != image[a];
  std::string half = image;  // from an erased chip: FF bytes are skipped
  for (size_t a = 0; a < half.size(); a += 2) half[a] = '\xFF';

  struct Case {
    const char* name;
    std::string chip, image;
    std::string summary;
  } cases[] = {
      {"identical", image, image,
       "write: 0 bytes programmed, 300 skipped, 0 failed\n"},
      {"reachable", cleared, image,
       Format("write: %d bytes programmed, %d skipped, 0 failed\n",
              reachable_differ, 300 - reachable_differ)},
      {"unreachable", std::string(300, '\0'), half,
       "write: 150 bytes programmed, 150 skipped, 0 failed (the chip was "
       "erased first)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetChip(c.chip + std::string(10, '\x42'));
    WriteFile("image.bin", c.image);
    const Result r = Sim({"write", P("image.bin"), "--trace", P("trace.txt")});
    EXPECT_EQ(0, r.code) << r.err;
    EXPECT_EQ(c.summary, r.out);
    const bool erased = c.summary.find("erased") != std::string::npos;
    EXPECT_EQ(c.image + std::string(10, erased ? '\xFF' : '\x42'),
              Chip().substr(0, 310));
    // The trace shows each read cycle's flash-register write: every image
    // byte was read before and compared after.
    const std::string trace = ReadFile("trace.txt");
    EXPECT_NE(std::string::npos, trace.find("out C0D4 <- FF00C12B (4)"));
    EXPECT_NE(std::string::npos, trace.find("sleep 1\n"));
  }
}

TEST_F(CliTest, NoEraseProgramsEveryByteAsTheDesktopDoes) {
  SetChip(Image(16));
  WriteFile("image.bin", Image(16));
  const Result r = Sim({"write", P("image.bin"), "--no-erase"});
  EXPECT_EQ(0, r.code);
  EXPECT_EQ("write: 16 bytes programmed, 0 skipped, 0 failed\n", r.out);
}

// Stuck bits: the summary lists them, the log has the desktop's bytes,
// verify and blank-check list what differs; all exit 1.
TEST_F(CliTest, FailuresAreListedAndLogged) {
  SetBoard("stuck = 1:00:80\nstuck = 3:01:00\n");
  WriteFile("image.bin", std::string("\x10\x20\x30\x41", 4));
  Result r = Sim({"write", P("image.bin"), "--log", P("bad.txt")});
  EXPECT_EQ(1, r.code);
  EXPECT_EQ(
      "write: 4 bytes programmed, 0 skipped, 2 failed (the chip was erased "
      "first)\n"
      "  0001: wrote 20, read back A0\n"
      "  0003: wrote 41, read back 40\n",
      r.out);
  EXPECT_EQ(std::string("坏块记录开始:\r\n") +
                "写地址1失败,写数据20,效验数据A0\r\n"
                "写地址3失败,写数据41,效验数据40\r\n" + "坏块记录结束:\r\n",
            ReadFile("bad.txt"));

  r = Sim({"verify", P("image.bin"), "--quiet"});
  EXPECT_EQ(1, r.code);
  EXPECT_EQ(
      "verify: 4 bytes compared, 2 differ\n"
      "  0001: file 20, chip A0\n"
      "  0003: file 41, chip 40\n",
      r.out);
  r = Sim({"blank-check"});
  EXPECT_EQ(1, r.code);
  EXPECT_EQ(0u, r.out.find("blank-check: 4096 bytes checked, 4 not blank\n"
                           "  0000: want FF, chip 10\n"));
  r = Sim({"erase"});
  EXPECT_EQ(1, r.code) << "bit 7 of 1 reads 1: not blank, and said so";
  EXPECT_EQ(0u, r.out.find("erase: 1 of 4096 bytes are not blank"));
  SetBoard("");
  r = Sim({"erase"});
  EXPECT_EQ(0, r.code);
  EXPECT_EQ("erase: all 4096 bytes blank\n", r.out);
  r = Sim({"blank-check", "-q"});
  EXPECT_EQ(0, r.code);
  EXPECT_EQ("", r.out + r.err);
}

TEST_F(CliTest, NoChipIsRefusedUnlessForced) {
  SetBoard("chip = absent\n");
  SetChip(Image(8));
  WriteFile("image.bin", Image(8));
  for (const char* command : {"write", "erase", "blank-check"}) {
    SCOPED_TRACE(command);
    std::vector<std::string> args = {command};
    if (std::string(command) == "write") args.push_back(P("image.bin"));
    const Result r = Sim(args);
    EXPECT_EQ(3, r.code);
    EXPECT_NE(std::string::npos,
              r.err.find("no chip answers (the signature reads FF FF FF)"));
    EXPECT_NE(std::string::npos, r.err.find("--force"));
  }
  const Result r = Sim({"write", P("image.bin"), "--force", "--quiet"});
  EXPECT_EQ(1, r.code) << "nothing verifies with no chip";
  EXPECT_EQ(0u, r.out.find("write: 8 bytes programmed, 0 skipped, 8 failed"));
  EXPECT_EQ(Image(8), Chip().substr(0, 8)) << "an empty socket keeps nothing";

  SetBoard("signature = 12 34 56\n");
  const Result unknown = Sim({"erase"});
  EXPECT_EQ(3, unknown.code);
  EXPECT_NE(std::string::npos, unknown.err.find("unknown signature 12 34 56"));
  EXPECT_EQ(Image(8), Chip().substr(0, 8));
}

// Ctrl-C mid-write: the write stops at the next address, the log gets its
// end line, port access is released and the chip saved; exit 130.
TEST_F(CliTest, InterruptStopsAtTheNextAddress) {
  WriteFile("image.bin", Image(4096));
  clock_.interrupt_at_us = 300000;  // 100 bytes into programming
  const Result r = Sim({"write", P("image.bin"), "--log", P("bad.txt"),
                        "--trace", P("trace.txt")});
  EXPECT_EQ(130, r.code);
  EXPECT_NE(std::string::npos, r.err.find("interrupted"));
  EXPECT_EQ(std::string("坏块记录开始:\r\n") + "坏块记录结束:\r\n",
            ReadFile("bad.txt"));
  const std::string chip = Chip();
  size_t programmed = 0;
  while (programmed < 4096 && chip[programmed] == Image(4096)[programmed])
    ++programmed;
  EXPECT_GT(programmed, 50u);
  EXPECT_LT(programmed, 200u);
  EXPECT_EQ(std::string(4096 - programmed, '\xFF'), chip.substr(programmed));
  const std::string trace = ReadFile("trace.txt");
  EXPECT_NE(std::string::npos, trace.find("ShutdownWinIo\n"));
}

// Bad files are refused with their line before the chip is touched.
TEST_F(CliTest, BadFilesAreRefusedBeforeTheChipIsTouched) {
  struct Case {
    const char* file;
    std::string text;
    std::string err;
  } cases[] = {
      {"bad.hex", ":0100000000FE\r\n:00000001FF\r\n", "bad.hex:1: bad checksum"},
      {"bad.hex", ":00000006FA\n:00000001FF\n", "bad.hex:1: record type"},
      {"bad.hex", ":00000001FF\n:0100000000FF\n", "bad.hex:2: data after"},
      // A byte beyond a 4 KB chip, told with its line once the chip is known.
      {"bad.hex", ":0100000000FF\n:02100000AABB89\n:00000001FF\n",
       "bad.hex:2: byte at address 1000 is beyond the 4096-byte chip"},
      {"bad.s19", "S1040000AA50\nS9030000FC\n", "bad.s19:1: bad checksum"},
      {"big.bin", std::string(4097, '\x01'),
       "big.bin: 4097 bytes do not fit the 4096-byte chip"},
      // Text is never burned as raw bytes, whatever the name.
      {"notes.bin", "firmware 1.2\n", "notes.bin:1: a text file, but neither"},
      {"empty.bin", "", "empty.bin: the file is empty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    SetChip(Image(64));
    WriteFile(c.file, c.text);
    const Result r = Sim({"write", P(c.file)});
    EXPECT_EQ(2, r.code);
    EXPECT_NE(std::string::npos, r.err.find(c.err)) << r.err;
    EXPECT_EQ(Image(64), Chip().substr(0, 64));
  }
  const Result missing = Sim({"verify", P("missing.bin")});
  EXPECT_EQ(2, missing.code);
  EXPECT_NE(std::string::npos, missing.err.find("cannot read " +
                                                P("missing.bin")));
}

// An 8 KB 89C52: every command sizes itself from the signature.
TEST_F(CliTest, The89C52IsProgrammedReadAndVerifiedWhole) {
  SetBoard("part = 89c52\n");
  WriteFile("image.bin", Image(8192));
  Result r = Sim({"signature"});
  EXPECT_EQ("30H=1E,\t31H=52,\t32H=FF\n89C52: 8 KB of flash, programmed at "
            "12 V\n",
            r.out);
  r = Sim({"write", P("image.bin")});
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ("write: 8192 bytes programmed, 0 skipped, 0 failed\n", r.out);
  EXPECT_EQ(Image(8192), ReadFile("board/simchip.bin"));
  r = Sim({"read", P("back.hex")});
  EXPECT_EQ("read 8192 bytes into " + P("back.hex") + "\n", r.out);
  r = Sim({"verify", P("back.hex")});
  EXPECT_EQ("verify: 8192 bytes compared, 0 differ\n", r.out);
  r = Sim({"blank-check"});
  EXPECT_EQ(0u, r.out.find("blank-check: 8192 bytes checked, 8192 not blank"));

  // The same image on a 4 KB board is refused before anything changes.
  SetBoard("");
  SetChip(Image(64));
  r = Sim({"write", P("image.bin")});
  EXPECT_EQ(2, r.code);
  EXPECT_NE(std::string::npos,
            r.err.find("image.bin: 8192 bytes do not fit the 4096-byte chip"))
      << r.err;
  r = Sim({"write", P("back.hex")});
  EXPECT_EQ(2, r.code);
  EXPECT_NE(std::string::npos, r.err.find("back.hex:257: ")) << r.err;
  EXPECT_EQ(Image(64), Chip().substr(0, 64));
}

TEST_F(CliTest, PortsFromConfigAndFlags) {
  SetBoard("rtl_base = E800\nepp_port = 278\n");
  WriteFile("start.ini", "[TARNWICK]\r\nRTL8139ADDR=e800;\r\nEPPADDR=278;\r\n");
  struct Case {
    std::vector<std::string> args;
    int code;
  } cases[] = {
      {{"signature"}, 3},  // the default ports reach no board
      {{"signature", "--config", P("start.ini")}, 0},
      {{"--rtl-base", "0xE800", "signature", "--epp-port", "278"}, 0},
      {{"--config", P("start.ini"), "--rtl-base", "C000", "signature"}, 3},
      {{"signature", "--config", P("missing.ini")}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    EXPECT_EQ(c.code, Sim(c.args).code);
  }
}

TEST_F(CliTest, UsageHelpVersionAndRealPorts) {
  struct Case {
    std::vector<std::string> args;
    int code;
    const char* said;  // in standard output or error
  } cases[] = {
      {{}, 2, "no command given; the commands are: read write"},
      {{"--help"}, 0, "Exit codes:"},
      {{"write", "--help"}, 0, "FILE"},
      {{"--version"}, 0, "tarnwick 1.1.0"},
      {{"--sim", "b", "fly"}, 2, "unknown command \"fly\"; the commands"},
      {{"write", "-x.hex"}, 2, "write ./-x.hex or -- -x.hex"},
      {{"signature", "--epp-port", ""}, 2, "--epp-port: the value is empty"},
      {{"read", "a", "--format", "elf"}, 2, "expected ihex, srec or raw"},
      {{"signature", "--rtl-base", "12345"}, 2, "--rtl-base"},
      {{"signature", "--part", "89c99"}, 2, "--part"},
      {{"erase", "--log", "x"}, 2, "--log goes with write"},
      {{"write"}, 2, "FILE is required"},
      {{"signature"}, 3, "no real ports in tests"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.said);
    const Result r = Run(c.args);
    EXPECT_EQ(c.code, r.code);
    EXPECT_NE(std::string::npos, (r.out + r.err).find(c.said))
        << r.out << r.err;
  }
}

TEST_F(CliTest, ProgressOnATerminalAndAPlainLineElsewhere) {
  WriteFile("image.bin", Image(64));
  Result r = Sim({"write", P("image.bin")}, /*terminal=*/true);
  EXPECT_NE(std::string::npos, r.err.find("\rprogram     003F ["));
  EXPECT_NE(std::string::npos, r.err.find("100%"));
  EXPECT_NE(std::string::npos, r.err.find(" B/s "));
  r = Sim({"read", P("out.bin")});
  EXPECT_EQ(std::string::npos, r.err.find('\r'));
  EXPECT_EQ(0u, r.err.find("tarnwick: read took "));
  r = Sim({"read", P("out.bin"), "--quiet"}, /*terminal=*/true);
  EXPECT_EQ("", r.out + r.err);
}

// The Linux backend through its seam: port instructions that record and
// answer 5A to every read, and the system's files faked.
class LinuxCliTest : public CliTest {
 protected:
  LinuxCliTest() : system_("tarnwick-cli-system") {}

  Result RunLinux(std::vector<std::string> args) {
    std::ostringstream out, err;
    CliEnv env;
    env.out = &out;
    env.err = &err;
    env.clock = &clock_;
    env.interrupted = &clock_.interrupted;
    env.can_find_ports = true;
    env.system_root = system_.root();
    env.open_real_port = [this](std::string*) {
      return std::make_unique<LinuxPortIo>(&instructions_, system_.root());
    };
    const int code = RunCli(args, env);
    return {code, out.str(), err.str()};
  }
  void AddCard(const std::string& slot, uint16_t io_base) {
    system_.AddPciDevice(slot, 0x10EC, 0x8139, Rtl8139Resources(io_base));
  }

  FakeSystem system_;
  RecordingInstructions instructions_;
};

TEST_F(LinuxCliTest, FindsTheCardAndPortAndDrivesThemThroughIopl) {
  AddCard("0000:02:01.0", 0xE800);
  system_.Write("proc/ioports", "0278-027a : parport0\n");
  Result r = RunLinux({"signature"});
  EXPECT_EQ(0, r.code) << r.err;
  EXPECT_EQ("30H=5A,\t31H=5A,\t32H=5A\nunknown signature: no part of the "
            "table\n",
            r.out);
  EXPECT_NE(std::string::npos,
            r.err.find("using the RTL8139 at I/O E800 and the parallel port "
                       "at 278"));
  const std::string& log = instructions_.log;
  EXPECT_EQ(0u, log.find("iopl3 outl E8D4 FF000032 outb 278 2 inb E8D7"));
  EXPECT_EQ(log.size() - 6, log.rfind(" iopl0")) << "released at the end";

  // Flags name other ports, and win over what was found.
  instructions_.log.clear();
  r = RunLinux({"signature", "--rtl-base", "c000", "--epp-port", "378"});
  EXPECT_EQ(0u, instructions_.log.find("iopl3 outl C0D4 FF000032 outb 378 2"));

  r = RunLinux({"ports"});
  EXPECT_EQ(0, r.code);
  EXPECT_NE(std::string::npos, r.out.find("RTL8139ADDR=e800;")) << r.out;
}

TEST_F(LinuxCliTest, TwoCardsOrARefusalTouchNothing) {
  AddCard("0000:02:01.0", 0xE800);
  AddCard("0000:02:02.0", 0xD000);
  system_.Write("proc/ioports", "0378-037a : parport0\n");
  Result r = RunLinux({"erase"});
  EXPECT_EQ(3, r.code);
  EXPECT_NE(std::string::npos, r.err.find("2 RTL8139 cards found")) << r.err;
  EXPECT_NE(std::string::npos, r.err.find("02:02.0")) << "both listed";
  EXPECT_EQ("", instructions_.log);

  instructions_.iopl_error = EPERM;
  r = RunLinux({"erase", "--rtl-base", "e800", "--epp-port", "378"});
  EXPECT_EQ(3, r.code);
  EXPECT_NE(std::string::npos, r.err.find("port access was refused: "));
  EXPECT_NE(std::string::npos, r.err.find("root")) << r.err;
  EXPECT_EQ("iopl3", instructions_.log) << "no port touched";
}

}  // namespace
