#include "link/linux_port_io.h"

#include <cerrno>
#include <utility>

#include "link/port_io_refusal.h"

namespace {

// iopl level 3 opens every port to the process; 0 closes them again.
constexpr int kAllPorts = 3;
constexpr int kNoPorts = 0;

// True when `size` bytes from `port` stay within the 64 K port space.
bool FitsPortSpace(uint16_t port, int size) {
  return uint32_t{port} + static_cast<uint32_t>(size) <= 0x10000;
}

}  // namespace

LinuxPortIo::LinuxPortIo(PortInstructions* instructions, FilePath root)
    : instructions_(instructions), root_(std::move(root)) {}

LinuxPortIo::~LinuxPortIo() { ShutdownWinIo(); }

bool LinuxPortIo::InitializeWinIo() {
  if (held_) return true;
  if (instructions_ == nullptr) {
    refusal_ = "Direct port I/O is available only on x86 Linux.";
    return false;
  }
  const int error = instructions_->SetIoPrivilegeLevel(kAllPorts);
  if (error != 0) {
    refusal_ = PortIoRefusalText(error, root_);
    return false;
  }
  refusal_.clear();
  held_ = true;
  return true;
}

void LinuxPortIo::ShutdownWinIo() {
  if (!held_) return;
  instructions_->SetIoPrivilegeLevel(kNoPorts);
  held_ = false;
}

bool LinuxPortIo::SetPortVal(uint16_t port, uint32_t value, int size) {
  if (!held_ || !FitsPortSpace(port, size)) return false;
  switch (size) {
    case 4:
      instructions_->OutLong(port, value);
      return true;
    case 1:
      instructions_->OutByte(port, static_cast<uint8_t>(value));
      return true;
    default:
      return false;
  }
}

bool LinuxPortIo::GetPortVal(uint16_t port, uint32_t* value, int size) {
  if (!held_ || size != 1) return false;
  *value = instructions_->InByte(port);
  return true;
}
