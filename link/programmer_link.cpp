#include "link/programmer_link.h"

#include <cstring>

ProgrammerLink::ProgrammerLink(PortIo* port, Clock* clock)
    : port_(port), clock_(clock) {
  ResetState();
}

void ProgrammerLink::ResetState() {
  for (int n = 0; n < 8; ++n) {
    m_clearMask[n] = static_cast<uint8_t>(~(1u << n));
    m_setMask[n] = static_cast<uint8_t>(1u << n);
  }
  std::memset(m_codeImage, 0, sizeof m_codeImage);
  std::memset(m_readImage, 0, sizeof m_readImage);
  m_hIniFile = kNoFile;
  m_hLogFile = kNoFile;
  m_rtlBase = kDefaultRtlBase;
  m_eppPort = kDefaultEppPort;
}

int ProgrammerLink::SetModeBit(uint8_t* target, int bit, int mode) {
  switch (mode) {
    case 0:
      *target &= m_clearMask[bit];
      return 0;
    case 1:
      *target |= m_setMask[bit];
      return 0;
    default:
      return 1;
  }
}

bool ProgrammerLink::InitializeWinIo() { return port_->InitializeWinIo(); }

void ProgrammerLink::ShutdownWinIo() { port_->ShutdownWinIo(); }

bool ProgrammerLink::SetPortVal(uint16_t port, uint32_t value, int size) {
  const bool ok = port_->SetPortVal(port, value, size);
  if (!ok) ++port_failures_;
  return ok;
}

bool ProgrammerLink::GetPortVal(uint16_t port, uint32_t* value, int size) {
  const bool ok = port_->GetPortVal(port, value, size);
  if (!ok) ++port_failures_;
  return ok;
}

uint8_t ProgrammerLink::ModeHighByte(uint32_t address, int mode) {
  uint8_t high = static_cast<uint8_t>((address >> 8) & 0xFF);
  SetModeBit(&high, 6, mode);
  SetModeBit(&high, 7, mode);
  return high;
}

void ProgrammerLink::Control(uint8_t value, uint32_t sleep_ms) {
  SetPortVal(m_eppPort, value, 1);
  clock_->SleepMs(sleep_ms);
}

int ProgrammerLink::WriteCodeByte(uint32_t address, uint8_t data) {
  const uint8_t high = ModeHighByte(address, 1);
  Control(3, 0);
  SetPortVal(Port(kFlashRegister),
             static_cast<uint32_t>(data) << 24 |
                 static_cast<uint32_t>(high) << 8 | (address & 0xFF),
             4);
  clock_->SleepMs(0);
  Control(7, 0);
  Control(5, 1);
  Control(7, 2);
  Control(3, 0);
  return 0;
}

int ProgrammerLink::ReadCycle(uint32_t address, int mode, uint32_t settle_ms) {
  const uint8_t high = ModeHighByte(address, mode);
  SetPortVal(Port(kFlashRegister),
             0xFF000000u | static_cast<uint32_t>(high) << 8 | (address & 0xFF),
             4);
  clock_->SleepMs(settle_ms);
  Control(2, 0);
  uint32_t a = 0;
  uint32_t b = 1;
  for (int pair = 0; a != b && pair < kMaxSettleReadPairs; ++pair) {
    GetPortVal(Port(kDataByte), &a, 1);
    clock_->SleepMs(0);
    GetPortVal(Port(kDataByte), &b, 1);
    clock_->SleepMs(0);
  }
  // Settled: a == b. Gave up: b is the last byte read.
  return static_cast<int>(b);
}

int ProgrammerLink::ReadCodeByte(uint32_t address) {
  return ReadCycle(address, 1, 0);
}

int ProgrammerLink::ReadSignatureByte(uint32_t address) {
  return ReadCycle(address, 0, 1);
}

int ProgrammerLink::EraseChip() {
  SetPortVal(Port(kAddressHighByte), 0, 1);
  clock_->SleepMs(1);
  Control(6, 1);
  Control(4, 100);
  Control(6, 1);
  SetPortVal(m_eppPort, 2, 1);
  return 0;
}

bool ProgrammerLink::TryBeginActivity() {
  bool expected = false;
  return busy_.compare_exchange_strong(expected, true);
}

void ProgrammerLink::EndActivity() { busy_.store(false); }
