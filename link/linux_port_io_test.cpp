#include "link/linux_port_io.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/format.h"
#include "link/recording_instructions.h"

namespace {

namespace fs = std::filesystem;

// A fresh, empty folder for one test.
fs::path FreshDir(const std::string& name) {
  const fs::path dir = fs::path(::testing::TempDir()) / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

TEST(LinuxPortIoTest, EachAccessIsOneInstruction) {
  RecordingInstructions instructions;
  LinuxPortIo io(&instructions);
  ASSERT_TRUE(io.InitializeWinIo());
  EXPECT_EQ("", io.WhyRefused());
  uint32_t value = 0xFFFFFFFF;
  EXPECT_TRUE(io.SetPortVal(0xC0D4, 0xA500C123, 4));
  EXPECT_TRUE(io.SetPortVal(0x378, 0x1F3, 1));  // only the low byte
  EXPECT_TRUE(io.GetPortVal(0xC0D7, &value, 1));
  EXPECT_EQ(0x5Au, value) << "zero-extended";
  EXPECT_TRUE(io.SetPortVal(0xFFFC, 1, 4));
  EXPECT_EQ("iopl3 outl C0D4 A500C123 outb 378 F3 inb C0D7 outl FFFC 1",
            instructions.log);

  // Other sizes, and accesses running past port FFFF, touch nothing.
  instructions.log.clear();
  value = 7;
  EXPECT_FALSE(io.SetPortVal(0xC0D4, 0x1234, 2));
  EXPECT_FALSE(io.SetPortVal(0xC0D4, 0x1234, 0));
  EXPECT_FALSE(io.SetPortVal(0xFFFD, 1, 4));
  EXPECT_FALSE(io.GetPortVal(0xC0D4, &value, 4));
  EXPECT_FALSE(io.GetPortVal(0xC0D4, &value, 2));
  EXPECT_EQ(7u, value);
  EXPECT_EQ("", instructions.log);
}

TEST(LinuxPortIoTest, NothingIsTouchedWithoutThePrivilege) {
  RecordingInstructions instructions;
  uint32_t value = 7;
  {
    LinuxPortIo io(&instructions);
    io.ShutdownWinIo();
    EXPECT_FALSE(io.SetPortVal(0xC0D4, 1, 4));
    EXPECT_FALSE(io.SetPortVal(0x378, 1, 1));
    EXPECT_FALSE(io.GetPortVal(0xC0D7, &value, 1));
    EXPECT_EQ("", instructions.log) << "before InitializeWinIo";

    ASSERT_TRUE(io.InitializeWinIo());
    ASSERT_TRUE(io.InitializeWinIo());  // already held: no second call
    io.ShutdownWinIo();
    io.ShutdownWinIo();
    EXPECT_FALSE(io.SetPortVal(0xC0D4, 1, 4));
    EXPECT_FALSE(io.SetPortVal(0x378, 1, 1));
    EXPECT_FALSE(io.GetPortVal(0xC0D7, &value, 1));
    EXPECT_EQ("iopl3 iopl0", instructions.log) << "after ShutdownWinIo";

    instructions.log.clear();
    ASSERT_TRUE(io.InitializeWinIo());
  }
  EXPECT_EQ("iopl3 iopl0", instructions.log) << "released by the destructor";
  EXPECT_EQ(7u, value);

  instructions.log.clear();
  instructions.iopl_error = EPERM;
  {
    LinuxPortIo io(&instructions, FreshDir("port_io_refused"));
    EXPECT_FALSE(io.InitializeWinIo());
    EXPECT_FALSE(io.SetPortVal(0x378, 1, 1));
  }
  EXPECT_EQ("iopl3", instructions.log) << "a refusal leaves nothing to release";

  LinuxPortIo unavailable(nullptr);
  EXPECT_FALSE(unavailable.InitializeWinIo());
  EXPECT_EQ("Direct port I/O is available only on x86 Linux.",
            unavailable.WhyRefused());
  EXPECT_FALSE(unavailable.SetPortVal(0x378, 1, 1));
}

// Why iopl at level 3 was refused, told from a fake /proc/self/status (user and
// capabilities) and /sys/kernel/security/lockdown. Every case must name
// the fixes that apply and none that do not.
TEST(LinuxPortIoTest, RefusalSaysWhyAndWhatToDo) {
  const char* kUser = "Name:\ttarnwick\nUid:\t1000\t1000\t1000\t1000\n"
                      "CapEff:\t0000000000000000\n";
  const char* kRoot = "Uid:\t0\t0\t0\t0\nCapEff:\t000001ffffffffff\n";
  const char* kRootInContainer =
      "Uid:\t0\t0\t0\t0\nCapEff:\t00000000a80425fb\n";
  const char* kUserWithRawio = "Uid:\t1000\t1000\t1000\t1000\n"
                               "CapEff:\t0000000000020000\n";
  const char* kNone = "[none] integrity confidentiality\n";
  const char* kIntegrity = "none [integrity] confidentiality\n";
  const char* kConfidentiality = "none integrity [confidentiality]\n";
  const std::string kRunAsRoot =
      "Run as root (or give the program CAP_SYS_RAWIO).";
  const std::string kLockdownFix =
      "switch off Secure Boot in the firmware setup, or boot a kernel "
      "without lockdown.";
  const std::string kDenied =
      "The kernel refused direct port I/O (iopl: Operation not permitted).";

  const struct Case {
    const char* name;
    int error;
    const char* status;    // null: no such file
    const char* lockdown;  // null: no such file
    std::vector<std::string> says;
    std::vector<std::string> never_says;
  } cases[] = {
      {"user", EPERM, kUser, kNone, {kDenied, kRunAsRoot}, {"lockdown"}},
      {"root under lockdown", EPERM, kRoot, kIntegrity,
       {kDenied,
        "The kernel is in lockdown mode \"integrity\" (Secure Boot turns it "
        "on), which forbids port I/O even to root: " + kLockdownFix},
       {"Run as root", "may"}},
      {"user under lockdown", EPERM, kUser, kConfidentiality,
       {kRunAsRoot, "lockdown mode \"confidentiality\"", kLockdownFix},
       {"may"}},
      {"root, lockdown not told", EPERM, kRoot, nullptr,
       {"The kernel may be in lockdown mode",
        "lockdown: No such file or directory). If it is, " + kLockdownFix},
       {"Run as root", "also"}},
      {"user, lockdown not told", EPERM, kUser, "",
       {kRunAsRoot, "The kernel may also be in lockdown mode",
        "lockdown names no mode). If it is, " + kLockdownFix},
       {}},
      {"root in a container", EPERM, kRootInContainer, kNone,
       {"runs as root but without CAP_SYS_RAWIO", "--cap-add SYS_RAWIO"},
       {"Run as root", "lockdown"}},
      {"status not told", EPERM, nullptr, kNone,
       {"run as root (or give the program CAP_SYS_RAWIO) if it does not run "
        "so already"},
       {"lockdown"}},
      {"privileged and no lockdown", EPERM, kUserWithRawio, kNone,
       {kDenied, "something else refused it"},
       {"Run as root", "lockdown mode \""}},
      {"kernel without port I/O", ENOSYS, kRoot, kNone,
       {"built without port I/O support", "CONFIG_X86_IOPL_IOPERM"},
       {"Run as root", "lockdown"}},
      {"other error", EIO, kUser, kIntegrity,
       {"The kernel refused direct port I/O (iopl: Input/output error)."},
       {"root", "lockdown"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path root = FreshDir("port_io_refusal");
    if (c.status != nullptr) WriteFile(root / "proc/self/status", c.status);
    if (c.lockdown != nullptr)
      WriteFile(root / "sys/kernel/security/lockdown", c.lockdown);
    RecordingInstructions instructions;
    instructions.iopl_error = c.error;
    LinuxPortIo io(&instructions, root);
    EXPECT_FALSE(io.InitializeWinIo());
    const std::string text = io.WhyRefused();
    for (const std::string& part : c.says)
      EXPECT_NE(std::string::npos, text.find(part)) << part << "\nin: " << text;
    for (const std::string& part : c.never_says)
      EXPECT_EQ(std::string::npos, text.find(part)) << part << "\nin: " << text;
  }
}

}  // namespace
