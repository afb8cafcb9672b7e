#ifndef TARNWICK_LINK_PROGRAMMER_LINK_H_
#define TARNWICK_LINK_PROGRAMMER_LINK_H_

#include <atomic>
#include <cstdint>

#include "base/clock.h"
#include "link/board_ports.h"
#include "link/port_io.h"

// The four bus cycles that drive an 89C51-family chip through the network
// card's flash register and the parallel port's control lines. The link
// only drives the ports: whoever owns the port seam opens and releases
// port access, and callers run one cycle at a time.
class ProgrammerLink {
 public:
  // Settled reads give up after this many disagreeing read pairs and return
  // the last byte read, so unplugged or noisy data lines cannot hang a cycle.
  // A working board settles at the first pair.
  static constexpr int kMaxSettleReadPairs = 1000;

  // `port` and `clock` must outlive the link.
  ProgrammerLink(PortIo* port, Clock* clock, BoardPorts ports);

  ProgrammerLink(const ProgrammerLink&) = delete;
  ProgrammerLink& operator=(const ProgrammerLink&) = delete;

  // Programs `data` at `address` (bits 0-13 used): control 3, flash
  // register, 7, 5 (1 ms pulse), 7 (2 ms), 3. Does not verify.
  void WriteCodeByte(uint32_t address, uint8_t data);

  // Reads the program-memory byte at `address` with a settled read.
  uint8_t ReadCodeByte(uint32_t address);

  // Reads a signature byte (the chip has them at 0x30, 0x31 and 0x32).
  uint8_t ReadSignatureByte(uint32_t address);

  // Erases the whole chip with a 100 ms pulse (103 ms of sleeps).
  void EraseChip();

  // The clock the cycles sleep on; operations yield through it too.
  Clock* clock() const { return clock_; }

  // Port accesses the seam has refused so far (the cycles go on regardless).
  uint32_t refused_accesses() const { return refused_.load(); }

 private:
  // Writes the flash register for a read at `address` with the mode lines
  // high (program memory) or low (signature), sleeps `settle_ms`, then
  // lowers the strobe and reads the settled data byte.
  uint8_t ReadCycle(uint32_t address, bool mode_lines, uint32_t settle_ms);

  void Control(uint8_t value, uint32_t sleep_ms);
  void Write8(uint16_t port, uint8_t value);
  void Write32(uint16_t port, uint32_t value);
  uint8_t Read8(uint16_t port);

  PortIo* port_;
  Clock* clock_;
  BoardPorts ports_;
  std::atomic<uint32_t> refused_{0};
};

#endif  // TARNWICK_LINK_PROGRAMMER_LINK_H_
