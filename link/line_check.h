#ifndef TARNWICK_LINK_LINE_CHECK_H_
#define TARNWICK_LINK_LINE_CHECK_H_

#include <atomic>
#include <cstdint>
#include <vector>

#include "base/clock.h"
#include "link/board_ports.h"
#include "link/port_io.h"

// A check of a board's lines with an empty socket: every line the program
// drives, one at a time, held so that an LED or a meter at the socket can
// tell whether it arrives, and the data lines read back many times.

// The board at rest: the control port with the strobe high, the programming
// voltage off and the third mode line low (as a read cycle leaves it), and
// the flash register with the data lines released, address 0 and the mode
// lines low.
constexpr uint8_t kControlAtRest = 2;
constexpr uint32_t kFlashAtRest = 0xFF000000u;

enum class LineGroup {
  kAddress,  // flash register bits 0-13
  kMode,     // flash register bits 14 and 15
  kData,     // flash register bits 24-31: data lines 0-7
  kControl,  // control port bits 0-2
};

// One step: the values of the flash register and of the control port that
// hold one line away from the others.
struct LineStep {
  LineGroup group = LineGroup::kAddress;
  // The line's bit: of the flash register for address and mode lines (0-15),
  // the data line's number for data (0-7; register bit 24 + line), the
  // control port's bit for control lines (0-2).
  int line = 0;
  // A register line is held high with every other register line low and
  // the control port at rest. A control line is held at the level it does
  // not have at rest (bit 0 high: value 3; the strobe low: 0; the
  // programming voltage on: 6) with the register all low.
  uint32_t flash = 0;
  uint8_t control = kControlAtRest;
};

// The steps in order: address lines 0-13, the mode lines 14 and 15, data
// lines 0-7, control bits 0 and 1, and bit 2 (the programming voltage) only
// when `voltage`. No step ever sets a control value with bit 2 set
// otherwise, and none lowers the strobe with the voltage on.
std::vector<LineStep> LineCheckSteps(bool voltage);

// What one data line did over a series of reads.
struct DataLineReads {
  uint32_t ones = 0;     // reads that gave 1
  uint32_t changes = 0;  // reads that differed from the read before
};

enum class DataLineState {
  kSteady,    // 1 while released, 0 while pulled low
  kChanging,  // changed while it should have held: floating, or noisy
  kHeldLow,   // 0 even while released: a short to ground or another line
  kHeldHigh,  // 1 even while pulled low: held high, or the latch's byte
              // does not reach it
  kInverted,  // always the opposite of the latched byte
};

// The data lines read back `reads` times with the latched byte FF (every
// line released, so each should read 1) and `reads` times with 00 (each
// pulled low, so each should read 0).
struct DataReadBack {
  uint32_t reads = 0;
  DataLineReads released[8];
  DataLineReads pulled_low[8];

  DataLineState StateOf(int line) const;
};

// Drives the steps through the port seam. Whoever owns the seam opens and
// releases port access; the board is put at rest when the check is
// destroyed (unless it is already), however the check ends.
class LineCheck {
 public:
  // `port` and `clock` must outlive the check.
  LineCheck(PortIo* port, Clock* clock, BoardPorts ports);
  ~LineCheck();

  LineCheck(const LineCheck&) = delete;
  LineCheck& operator=(const LineCheck&) = delete;

  // Sets the board to `step`: the control port at rest first (so the
  // register is never written with the strobe low), then the register,
  // then the control port's value.
  void Hold(const LineStep& step);

  // Reads the data lines back (DataReadBack), 1 ms apart, then rests.
  DataReadBack ReadBack(uint32_t reads);

  // The control port at rest, then the flash register.
  void Rest();

  // Port accesses the seam has refused so far.
  uint32_t refused_accesses() const { return refused_.load(); }

 private:
  void Write8(uint16_t port, uint8_t value);
  void Write32(uint16_t port, uint32_t value);
  void ReadSeries(uint32_t reads, DataLineReads* lines);

  PortIo* port_;
  Clock* clock_;
  BoardPorts ports_;
  std::atomic<uint32_t> refused_{0};
  bool at_rest_ = false;  // nothing written since the last Rest
};

#endif  // TARNWICK_LINK_LINE_CHECK_H_
