#ifndef TARNWICK_LINK_PROGRAMMER_LINK_H_
#define TARNWICK_LINK_PROGRAMMER_LINK_H_

#include <atomic>
#include <cstdint>

#include "base/clock.h"
#include "base/file.h"
#include "link/port_io.h"

// Register offsets from the network card's I/O base: its flash access
// register (address, mode and data lines) and, within it, the address-high
// byte and the data byte the chip drives.
constexpr uint16_t kFlashRegister = 0xD4;
constexpr uint16_t kAddressHighByte = 0xD5;
constexpr uint16_t kDataByte = 0xD7;

// Bytes of chip program memory, and of each image buffer (one spare byte).
constexpr uint32_t kChipSize = 4096;
constexpr uint32_t kImageBufferSize = kChipSize + 1;

// Default I/O base of the network card and address of the parallel port.
constexpr uint16_t kDefaultRtlBase = 0xC000;
constexpr uint16_t kDefaultEppPort = 0x378;

// The programmer link: the program's working state and the four bus cycles
// that drive an 89C51-family chip through the network card's flash register
// and the parallel port's control lines. The main dialog is one (it
// inherits the link) for the whole run; worker jobs borrow it.
class ProgrammerLink {
 public:
  // Settled reads give up after this many disagreeing read pairs and return
  // the last byte read, so unplugged or noisy data lines cannot hang a cycle.
  // A working board settles at the first pair.
  static constexpr int kMaxSettleReadPairs = 1000;

  // `port` and `clock` must outlive the link.
  ProgrammerLink(PortIo* port, Clock* clock);
  virtual ~ProgrammerLink() = default;

  ProgrammerLink(const ProgrammerLink&) = delete;
  ProgrammerLink& operator=(const ProgrammerLink&) = delete;

  // Sets every state member to its initial value, in declaration order:
  // mask tables, images cleared, no files, default port addresses.
  void ResetState();

  // mode 0 clears bit `bit` of *target, mode 1 sets it (both return 0);
  // any other mode leaves it and returns 1. `bit` must be 0 to 7.
  int SetModeBit(uint8_t* target, int bit, int mode);

  // The port-access operations, passed through to the port seam. A port
  // call the seam refuses is counted (the cycles themselves go on).
  bool InitializeWinIo();
  void ShutdownWinIo();
  bool SetPortVal(uint16_t port, uint32_t value, int size);
  bool GetPortVal(uint16_t port, uint32_t* value, int size);

  // Programs `data` at `address` (bits 0-13 used): control 3, flash
  // register, 7, 5 (1 ms pulse), 7 (2 ms), 3. Does not verify. Returns 0.
  int WriteCodeByte(uint32_t address, uint8_t data);

  // Reads the program-memory byte at `address` with a settled read.
  int ReadCodeByte(uint32_t address);

  // Reads a signature byte (the program asks for 0x30, 0x31 and 0x32).
  int ReadSignatureByte(uint32_t address);

  // Erases the whole chip with a 100 ms pulse (103 ms of sleeps). Returns 0.
  int EraseChip();

  // One hardware activity at a time: TryBeginActivity claims the chip and
  // returns false when another activity holds it; EndActivity releases it.
  bool TryBeginActivity();
  void EndActivity();

  // The clock the cycles sleep on; jobs pause and yield through it too.
  Clock* clock() const { return clock_; }

  // Port reads and writes the seam has refused so far.
  uint32_t port_failures() const { return port_failures_.load(); }

  // The working state, in its declaration order.
  uint8_t m_clearMask[8];
  uint8_t m_setMask[8];
  FileHandle m_hIniFile;
  FileHandle m_hLogFile;
  uint8_t m_codeImage[kImageBufferSize];
  uint8_t m_readImage[kImageBufferSize];
  uint16_t m_rtlBase;
  uint16_t m_eppPort;

 private:
  // Writes the flash register for a read at `address` with the mode lines
  // set by `mode` (1 for program memory, 0 for signature), sleeps
  // `settle_ms`, then lowers the strobe and reads the settled data byte.
  int ReadCycle(uint32_t address, int mode, uint32_t settle_ms);

  // Address-high byte with both mode-select lines (bits 6, 7) set by `mode`.
  uint8_t ModeHighByte(uint32_t address, int mode);

  void Control(uint8_t value, uint32_t sleep_ms);
  uint16_t Port(uint16_t offset) const {
    return static_cast<uint16_t>(m_rtlBase + offset);
  }

  PortIo* port_;
  Clock* clock_;
  std::atomic<bool> busy_{false};
  std::atomic<uint32_t> port_failures_{0};
};

#endif  // TARNWICK_LINK_PROGRAMMER_LINK_H_
