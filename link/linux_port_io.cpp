#include "link/linux_port_io.h"

#include <cerrno>
#include <utility>

#include "link/port_io_refusal.h"

namespace {

// The card's flash access register: four ports from kFlashRegister, its
// data byte (kDataByte) the last.
constexpr uint16_t kCardPorts = kDataByte - kFlashRegister + 1;

}  // namespace

LinuxPortIo::LinuxPortIo(PortInstructions* instructions,
                         const BoardPorts& ports, FilePath root)
    : instructions_(instructions), ports_(ports), root_(std::move(root)) {}

LinuxPortIo::~LinuxPortIo() { Close(); }

bool LinuxPortIo::Open() {
  if (held_) return true;
  if (instructions_ == nullptr) {
    refusal_ = "Direct port I/O is available only on x86 Linux.";
    return false;
  }
  const uint16_t card = ports_.Card(kFlashRegister);
  int error = card > 0x10000 - kCardPorts
                  ? EINVAL
                  : instructions_->SetPortAccess(card, kCardPorts, true);
  if (error == 0) {
    error = instructions_->SetPortAccess(ports_.epp_port, 1, true);
    if (error != 0) instructions_->SetPortAccess(card, kCardPorts, false);
  }
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
  instructions_->SetPortAccess(ports_.epp_port, 1, false);
  instructions_->SetPortAccess(ports_.Card(kFlashRegister), kCardPorts, false);
  held_ = false;
}

bool LinuxPortIo::Mine(uint16_t port, uint32_t count) const {
  const uint32_t card = ports_.Card(kFlashRegister);
  const uint32_t last = uint32_t{port} + count - 1;
  return (port >= card && last < card + kCardPorts) ||
         (count == 1 && port == ports_.epp_port);
}

bool LinuxPortIo::Write8(uint16_t port, uint8_t value) {
  if (!held_ || !Mine(port, 1)) return false;
  instructions_->OutByte(port, value);
  return true;
}

bool LinuxPortIo::Write32(uint16_t port, uint32_t value) {
  if (!held_ || !Mine(port, 4)) return false;
  instructions_->OutLong(port, value);
  return true;
}

bool LinuxPortIo::Read8(uint16_t port, uint8_t* value) {
  if (!held_ || !Mine(port, 1)) return false;
  *value = instructions_->InByte(port);
  return true;
}
