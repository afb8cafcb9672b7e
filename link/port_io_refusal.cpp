#include "link/port_io_refusal.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "base/format.h"

namespace {

// The capability ioperm needs (its number in <linux/capability.h>).
constexpr int kCapSysRawio = 17;

// Kernel text files report a size of 0 or a page; none is near this.
constexpr uint64_t kMaxSystemFileBytes = 65536;

enum class Privilege {
  kUnknown,      // the process status could not be read
  kHeld,         // CAP_SYS_RAWIO is in the effective set
  kUserWithout,  // not root, no CAP_SYS_RAWIO
  kRootWithout,  // root, but CAP_SYS_RAWIO was dropped (a container)
};

// From the "Uid:" line (real, effective, saved, filesystem user) and the
// "CapEff:" line (the effective capabilities as a hex mask).
Privilege ReadPrivilege(const FilePath& root) {
  std::string status;
  if (ReadFileToString(root / "proc/self/status", &status,
                       kMaxSystemFileBytes) != ReadResult::kRead) {
    return Privilege::kUnknown;
  }
  std::istringstream lines(status);
  std::string line;
  bool have_uid = false;
  bool have_caps = false;
  unsigned long long effective_uid = 0;
  unsigned long long caps = 0;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string key;
    words >> key;
    if (key == "Uid:") {
      unsigned long long real_uid = 0;
      have_uid = static_cast<bool>(words >> real_uid >> effective_uid);
    } else if (key == "CapEff:") {
      std::string hex;
      words >> hex;
      char* end = nullptr;
      caps = std::strtoull(hex.c_str(), &end, 16);
      have_caps = !hex.empty() && *end == '\0';
    }
  }
  if (!have_uid || !have_caps) return Privilege::kUnknown;
  if ((caps >> kCapSysRawio) & 1) return Privilege::kHeld;
  return effective_uid == 0 ? Privilege::kRootWithout : Privilege::kUserWithout;
}

// The lockdown mode: the bracketed word of the securityfs file. Empty when
// it cannot be told, with `*why` saying why.
std::string ReadLockdownMode(const FilePath& root, std::string* why) {
  const FilePath path = root / "sys/kernel/security/lockdown";
  std::string text;
  std::string error;
  if (ReadFileToString(path, &text, kMaxSystemFileBytes, &error) !=
      ReadResult::kRead) {
    *why = PathForDisplay(path) + ": " + error;
    return "";
  }
  const size_t open = text.find('[');
  const size_t close =
      open == std::string::npos ? open : text.find(']', open + 1);
  if (close == std::string::npos || close == open + 1) {
    *why = PathForDisplay(path) + " names no mode";
    return "";
  }
  return text.substr(open + 1, close - open - 1);
}

constexpr char kLockdownFix[] =
    "switch off Secure Boot in the firmware setup, or boot a kernel without "
    "lockdown.";

}  // namespace

std::string PortIoRefusalText(int error, const FilePath& root) {
  if (error == ENOSYS) {
    return "This kernel was built without port I/O support (ioperm: "
           "Function not implemented; CONFIG_X86_IOPL_IOPERM is off), so no program "
           "can drive the board on it: boot a kernel that has it, as a "
           "distribution's kernel does.";
  }
  std::string text = Format(
      "The kernel refused direct port I/O (ioperm: %s).", std::strerror(error));
  if (error != EPERM) return text;

  const Privilege privilege = ReadPrivilege(root);
  switch (privilege) {
    case Privilege::kUnknown:
      text += " Port I/O needs root: run as root (or give the program "
              "CAP_SYS_RAWIO) if it does not run so already.";
      break;
    case Privilege::kUserWithout:
      text += " Run as root (or give the program CAP_SYS_RAWIO).";
      break;
    case Privilege::kRootWithout:
      text += " The program runs as root but without CAP_SYS_RAWIO, which a "
              "container or service manager took away: give it that "
              "capability (for a container, --cap-add SYS_RAWIO).";
      break;
    case Privilege::kHeld:
      break;
  }

  std::string unknown_why;
  const std::string mode = ReadLockdownMode(root, &unknown_why);
  if (mode.empty()) {
    text += std::string(" The kernel may ") +
            (privilege == Privilege::kHeld ? "" : "also ") +
            "be in lockdown mode (Secure Boot turns it on), which forbids "
            "port I/O even to root; whether it is could not be read (" +
            unknown_why + "). If it is, " + kLockdownFix;
  } else if (mode != "none") {
    text += " The kernel is in lockdown mode \"" + mode +
            "\" (Secure Boot turns it on), which forbids port I/O even to "
            "root: " + kLockdownFix;
  } else if (privilege == Privilege::kHeld) {
    text += " The program holds CAP_SYS_RAWIO and the kernel is not in "
            "lockdown mode, so something else refused it (a security "
            "module such as SELinux or AppArmor?).";
  }
  return text;
}
