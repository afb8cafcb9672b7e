#include "link/linux_port_io.h"

#include <cerrno>
#include <utility>

#include "link/port_io_refusal.h"

namespace {

// iopl level 3 opens every port to the process; 0 closes them again.
constexpr int kAllPorts = 3;
constexpr int kNoPorts = 0;

}  // namespace

LinuxPortIo::LinuxPortIo(PortInstructions* instructions, FilePath root)
    : instructions_(instructions), root_(std::move(root)) {}

LinuxPortIo::~LinuxPortIo() { Close(); }

bool LinuxPortIo::Open() {
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

void LinuxPortIo::Close() {
  if (!held_) return;
  instructions_->SetIoPrivilegeLevel(kNoPorts);
  held_ = false;
}

bool LinuxPortIo::Write8(uint16_t port, uint8_t value) {
  if (!held_) return false;
  instructions_->OutByte(port, value);
  return true;
}

bool LinuxPortIo::Write32(uint16_t port, uint32_t value) {
  // The four bytes must stay within the 64 K port space.
  if (!held_ || port > 0xFFFC) return false;
  instructions_->OutLong(port, value);
  return true;
}

bool LinuxPortIo::Read8(uint16_t port, uint8_t* value) {
  if (!held_) return false;
  *value = instructions_->InByte(port);
  return true;
}
