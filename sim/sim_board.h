#ifndef TARNWICK_SIM_SIM_BOARD_H_
#define TARNWICK_SIM_SIM_BOARD_H_

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "base/clock.h"
#include "link/port_io.h"
#include "link/programmer_link.h"

// Bits of one address that read back fixed whatever was programmed.
struct StuckBits {
  uint8_t zeros = 0;  // bits that always read 0
  uint8_t ones = 0;   // bits that always read 1
};

// How the simulated board is wired and which faults it shows.
struct BoardSettings {
  uint16_t rtl_base = kDefaultRtlBase;  // I/O base of the network card
  uint16_t epp_port = kDefaultEppPort;  // parallel-port data register
  uint8_t signature[3] = {0x1E, 0x51, 0xFF};  // bytes at 0x30, 0x31, 0x32
  bool chip_present = true;   // false: the data lines float high
  bool lines_settle = true;   // false: no two reads of the data lines agree
  std::map<uint16_t, StuckBits> stuck;  // by chip address (0 to 0xFFF)
};

// One line of the trace: every port access, with its virtual or real time.
// Sleeps appear in the trace when the caller's clock is a TracingClock.
class Trace {
 public:
  void Add(const std::string& line);
  std::vector<std::string> Lines() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

// A programmer board with a 4 KB 89C51-family chip in its socket, driven
// through the port seam. It decodes exactly what the chip cycles write and
// models the chip closely enough that a wrong cycle fails: flash that only
// clears bits, a 1.5 ms byte write time with data polling, a minimum erase
// pulse, and the wired-AND data lines. Every protocol violation is recorded.
// Thread-safe: each port operation is atomic with respect to the others.
class SimBoard : public PortIo {
 public:
  // Byte write time after a program pulse, and the shortest erase pulse.
  static constexpr uint64_t kByteWriteUs = 1500;
  static constexpr uint64_t kMinEraseUs = 10000;

  // `clock` times the chip (virtual in tests, real otherwise); it must
  // outlive the board. The chip starts erased (all 0xFF).
  SimBoard(Clock* clock, const BoardSettings& settings);

  // PortIo. Accesses outside the board's registers, of the wrong size, or
  // while port access is released are violations (writes are dropped,
  // reads give 0xFF).
  bool InitializeWinIo() override;
  void ShutdownWinIo() override;
  bool SetPortVal(uint16_t port, uint32_t value, int size) override;
  bool GetPortVal(uint16_t port, uint32_t* value, int size) override;

  // The chip's program memory (4096 bytes), as stored.
  std::vector<uint8_t> Flash() const;
  void SetFlash(const std::vector<uint8_t>& bytes);

  BoardSettings Settings() const;
  void SetSettings(const BoardSettings& settings);

  // Every protocol violation so far, in words, in order.
  std::vector<std::string> Violations() const;
  void ClearViolations();

  // True while port access is held (between InitializeWinIo and Shutdown).
  bool PortAccessOpen() const;

  // Number of program pulses and erase pulses the chip has taken.
  int ProgramPulses() const;
  int ErasePulses() const;

  // When set, every port access is added to `trace` (may be null).
  void SetTrace(Trace* trace);

 private:
  // ... implementation state
};

#endif  // TARNWICK_SIM_SIM_BOARD_H_
