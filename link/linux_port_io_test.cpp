#include "link/linux_port_io.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "testing/files.h"
#include "testing/recording_instructions.h"

namespace {

TEST(LinuxPortIoTest, EachAccessIsOneInstructionOnTheBoardsOwnPorts) {
  RecordingInstructions instructions;
  uint8_t value = 7;
  {
    LinuxPortIo io(&instructions, BoardPorts{0xC000, 0x378});
    EXPECT_FALSE(io.Write8(0x378, 1) || io.Read8(0xC0D7, &value));
    ASSERT_TRUE(io.Open() && io.Open());  // the second asks nothing
    EXPECT_TRUE(io.Write32(0xC0D4, 0xA500C123) && io.Write8(0x378, 0xF3) &&
                io.Write8(0xC0D5, 0) && io.Read8(0xC0D7, &value));
    // Another board's ports, or a write running off the card's register,
    // are refused untouched.
    EXPECT_FALSE(io.Write8(0x278, 1) || io.Write32(0xC0D5, 1) ||
                 io.Write32(0xC1D4, 1) || io.Read8(0xC0D8, &value) ||
                 io.Write8(0xC0D3, 1));
    io.Close();
    EXPECT_FALSE(io.Write32(0xC0D4, 1));
    ASSERT_TRUE(io.Open());
  }
  EXPECT_EQ(0x5A, value);
  EXPECT_EQ("ioperm+C0D4:4 ioperm+378:1 outl C0D4 A500C123 outb 378 F3 "
            "outb C0D5 0 inb C0D7 ioperm-378:1 ioperm-C0D4:4 "
            "ioperm+C0D4:4 ioperm+378:1 ioperm-378:1 ioperm-C0D4:4",
            instructions.log);
  EXPECT_FALSE(LinuxPortIo(nullptr, BoardPorts()).Open());

  // A card whose register would run past port FFFF is refused; a port
  // refused after the card was opened leaves the card closed again.
  RecordingInstructions edge;
  EXPECT_FALSE(LinuxPortIo(&edge, BoardPorts{0xFF2A, 0x378}).Open());
  EXPECT_EQ("", edge.log);
  struct RefusesThePort : RecordingInstructions {
    int SetPortAccess(uint16_t from, uint16_t count, bool on) override {
      RecordingInstructions::SetPortAccess(from, count, on);
      return on && from == 0x378 ? EPERM : 0;
    }
  } half;
  EXPECT_FALSE(
      LinuxPortIo(&half, BoardPorts{0xC000, 0x378}, FreshDir()).Open());
  EXPECT_EQ("ioperm+C0D4:4 ioperm+378:1 ioperm-C0D4:4", half.log);
}

// A refusal touches nothing and says why, from a fake /proc/self/status
// and /sys/kernel/security/lockdown: the fix that applies, not another.
TEST(LinuxPortIoTest, RefusalSaysWhyAndWhatToDo) {
  const std::string user = "Uid:\t1000\t1000\t1000\t1000\nCapEff:\t0\n";
  const std::string root = "Uid:\t0\t0\t0\t0\nCapEff:\t000001ffffffffff\n";
  const std::string cases[][4] = {  // status, lockdown, said, not said
      {user, "[none] integrity\n", "Run as root", "lockdown"},
      {root, "none [integrity]\n", "lockdown mode \"integrity\" (Secure Boot",
       "Run as root"},
  };
  for (const auto& c : cases) {
    const std::filesystem::path dir = FreshDir();
    Spill(dir / "proc/self/status", c[0]);
    Spill(dir / "sys/kernel/security/lockdown", c[1]);
    RecordingInstructions instructions;
    instructions.ioperm_error = EPERM;
    LinuxPortIo io(&instructions, BoardPorts(), dir);
    EXPECT_FALSE(io.Open() || io.Write8(0x378, 1));
    io.Close();
    EXPECT_EQ("ioperm+C0D4:4", instructions.log);
    EXPECT_NE(std::string::npos, io.WhyRefused().find(c[2])) << c[2];
    EXPECT_EQ(std::string::npos, io.WhyRefused().find(c[3])) << c[3];
  }
  // A kernel built without port I/O: no privilege would help.
  RecordingInstructions bare;
  bare.ioperm_error = ENOSYS;
  LinuxPortIo io(&bare, BoardPorts(), FreshDir());
  EXPECT_FALSE(io.Open());
  EXPECT_NE(std::string::npos,
            io.WhyRefused().find("built without port I/O support (ioperm: "
                                 "Function not implemented; "
                                 "CONFIG_X86_IOPL_IOPERM is off)"));
  EXPECT_EQ(std::string::npos, io.WhyRefused().find("root"));
}

}  // namespace
