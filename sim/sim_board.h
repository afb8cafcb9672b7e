#ifndef TARNWICK_SIM_SIM_BOARD_H_
#define TARNWICK_SIM_SIM_BOARD_H_

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "base/clock.h"
#include "chip/parts.h"
#include "link/board_ports.h"
#include "link/port_io.h"
#include "link/trace.h"

// Bits of one address that read back fixed whatever was programmed.
struct StuckBits {
  uint8_t zeros = 0;  // bits that always read 0
  uint8_t ones = 0;   // bits that always read 1
};

// A line between the card and the socket held at one level, whatever
// drives it.
struct HeldLine {
  int line = -1;      // the line's number; -1: none is held
  bool high = false;  // held at 1 rather than at 0
};

// How the simulated board is wired and which faults it shows.
struct BoardSettings {
  // The part in the socket, of the part table: an 89C51 (4096 bytes,
  // address lines 0-11) or an 89C52 (8192, lines 0-12). Never null.
  const Part* part = PartByName("89C51");
  uint16_t rtl_base = kDefaultRtlBase;  // I/O base of the network card
  uint16_t epp_port = kDefaultEppPort;  // parallel-port data register
  uint8_t signature[3] = {0x1E, 0x51, 0xFF};  // bytes at 0x30, 0x31, 0x32
  bool chip_present = true;   // false: the data lines float high
  bool lines_settle = true;   // false: no two reads of the data lines agree,
                              // nor two settled reads
  std::map<uint16_t, StuckBits> stuck;  // by chip address
  // Wiring faults at every address: a data line (0-7) that programming and
  // reading see at one level, an address line (0-13) that the chip sees at
  // one level, and two address lines (0-13) that reach each other's pin.
  HeldLine stuck_data_line;
  HeldLine stuck_address_line;
  int swapped_address_lines[2] = {-1, -1};
  // Whether the port-access library's driver starts; the simulated
  // libraries refuse to open port access, as one whose driver did not
  // start, when false. The board itself does not use it.
  bool driver_starts = true;
  // Chip addresses whose byte reads differently at every other access
  // (bit 0 flipped), as a bad cell or contact would: each read settles, but
  // two reads of the chip differ there.
  std::set<uint16_t> flicker;
  // File the trace is appended to, relative to the board directory; empty
  // for none (see board_files.h). The board itself does not use it.
  std::string trace_file;
};

// A programmer board with an 89C51-family chip in its socket, driven
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
  // reads give 0xFF); only the last are refused.
  bool Open() override;
  void Close() override;
  bool Write8(uint16_t port, uint8_t value) override;
  bool Write32(uint16_t port, uint32_t value) override;
  bool Read8(uint16_t port, uint8_t* value) override;

  // The chip's program memory (the part's bytes), as stored: stuck bits
  // show only when the chip is read. SetFlash takes up to that many bytes;
  // the rest of the chip becomes 0xFF. Settings of another part erase it.
  std::vector<uint8_t> Flash() const;
  void SetFlash(const std::vector<uint8_t>& bytes);

  void SetSettings(const BoardSettings& settings);

  // Every protocol violation so far, in words, in order.
  std::vector<std::string> Violations() const;

  // When set, every port access and violation is added to `trace`, stamped
  // with the board clock's time (null: no trace).
  void SetTrace(Trace* trace);

 private:
  // Control-port bits: a third mode line, the strobe (active low) and the
  // programming voltage.
  static constexpr uint8_t kModeLine0 = 0x01;
  static constexpr uint8_t kStrobe = 0x02;
  static constexpr uint8_t kVoltage = 0x04;

  bool Decode(uint16_t port, uint16_t offset) const {
    return port == static_cast<uint16_t>(settings_.rtl_base + offset);
  }
  // Traces the write and tells whether port access is open (a violation
  // when not).
  bool Written(uint16_t port, uint32_t value, int size, uint64_t now_us);
  void WriteLatch(uint32_t latch, uint64_t now_us);
  void WriteControl(uint8_t control, uint64_t now_us);
  // The strobe rose again after a pulse that began at pulse_start_us_.
  void EndPulse(uint64_t now_us);
  // What the chip drives onto the data lines (0xFF: nothing, lines high).
  uint8_t ChipDrives(uint64_t now_us) const;
  // The chip address that flash register value `latch` reaches through the
  // board's wiring, and a byte as the data lines carry it.
  uint16_t ChipAddress(uint32_t latch) const;
  uint8_t DataLines(uint8_t byte) const;
  void Violation(uint64_t now_us, const std::string& what);
  void TraceAt(uint64_t now_us, const std::string& text);

  Clock* const clock_;
  mutable std::mutex mutex_;
  BoardSettings settings_;
  std::vector<uint8_t> flash_;
  bool open_ = false;
  uint32_t latch_ = 0;
  // Before the first write the board holds the control lines idle: strobe
  // high, voltage off.
  uint8_t control_ = kStrobe;
  // The strobe pulse in progress: whether it may act, when it began, and the
  // lines it began with.
  bool pulse_ok_ = false;
  uint64_t pulse_start_us_ = 0;
  uint8_t pulse_control_ = 0;
  uint32_t pulse_latch_ = 0;
  // The chip is writing `written_` until this time (data polling).
  uint64_t busy_until_us_ = 0;
  uint8_t written_ = 0;
  uint32_t data_reads_ = 0;
  uint32_t noise_ = 0x2545F491;  // xorshift state of noisy data lines
  // Accesses so far of each flickering address.
  std::map<uint16_t, uint32_t> flicker_accesses_;
  std::vector<std::string> violations_;
  Trace* trace_ = nullptr;
};

#endif  // TARNWICK_SIM_SIM_BOARD_H_
