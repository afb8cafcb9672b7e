#include "link/programmer_link.h"

namespace {

// The flash register's bits 8-15: the address's bits 8-13 under the two
// mode-select lines (bits 14 and 15), which replace address bits 14 and 15.
uint32_t HighByte(uint32_t address, bool mode_lines) {
  const uint32_t high = (address >> 8) & 0xFF;
  return (mode_lines ? high | 0xC0 : high & 0x3F) << 8;
}

}  // namespace

ProgrammerLink::ProgrammerLink(PortIo* port, Clock* clock, BoardPorts ports)
    : port_(port), clock_(clock), ports_(ports) {}

void ProgrammerLink::Write8(uint16_t port, uint8_t value) {
  if (!port_->Write8(port, value)) ++refused_;
}

void ProgrammerLink::Write32(uint16_t port, uint32_t value) {
  if (!port_->Write32(port, value)) ++refused_;
}

uint8_t ProgrammerLink::Read8(uint16_t port) {
  // A refused read leaves the value as the seam left it; the byte read
  // then means nothing, which refused_accesses() tells.
  uint8_t value = 0xFF;
  if (!port_->Read8(port, &value)) ++refused_;
  return value;
}

void ProgrammerLink::Control(uint8_t value, uint32_t sleep_ms) {
  Write8(ports_.epp_port, value);
  clock_->SleepMs(sleep_ms);
}

void ProgrammerLink::WriteCodeByte(uint32_t address, uint8_t data) {
  Control(3, 0);
  Write32(ports_.Card(kFlashRegister), static_cast<uint32_t>(data) << 24 |
                                           HighByte(address, true) |
                                           (address & 0xFF));
  clock_->SleepMs(0);
  Control(7, 0);
  Control(5, 1);
  Control(7, 2);
  Control(3, 0);
}

uint8_t ProgrammerLink::ReadCycle(uint32_t address, bool mode_lines,
                                  uint32_t settle_ms) {
  Write32(ports_.Card(kFlashRegister),
          0xFF000000u | HighByte(address, mode_lines) | (address & 0xFF));
  clock_->SleepMs(settle_ms);
  Control(2, 0);
  uint8_t a = 0;
  uint8_t b = 1;
  for (int pair = 0; a != b && pair < kMaxSettleReadPairs; ++pair) {
    a = Read8(ports_.Card(kDataByte));
    clock_->SleepMs(0);
    b = Read8(ports_.Card(kDataByte));
    clock_->SleepMs(0);
  }
  // Settled: a == b. Gave up: b is the last byte read.
  return b;
}

uint8_t ProgrammerLink::ReadCodeByte(uint32_t address) {
  return ReadCycle(address, true, 0);
}

uint8_t ProgrammerLink::ReadSignatureByte(uint32_t address) {
  return ReadCycle(address, false, 1);
}

void ProgrammerLink::EraseChip() {
  Write8(ports_.Card(kAddressHighByte), 0);
  clock_->SleepMs(1);
  Control(6, 1);
  Control(4, 100);
  Control(6, 1);
  Write8(ports_.epp_port, 2);
}
