#ifndef TARNWICK_CHIP_CYCLE_COUNTING_PORT_H_
#define TARNWICK_CHIP_CYCLE_COUNTING_PORT_H_

#include <cstdint>
#include <map>

#include "link/port_io.h"
#include "link/programmer_link.h"

// A port seam for tests that passes every access on to the board behind it
// (at the default ports) and counts, per chip address, the program cycles
// (control-port pulse value 5) and read cycles (control-port value 2) it
// sees. It can also spoil read cycles: the first spoiled_reads[a] read
// cycles at address a read back the board's byte XOR the cycle's number at
// that address (1, 2, ...), the same for both reads of a pair, so the cycle
// settles on a wrong value.
class CycleCountingPort : public PortIo {
 public:
  explicit CycleCountingPort(PortIo* board) : board_(board) {}

  std::map<uint32_t, int> spoiled_reads;
  std::map<uint32_t, int> programs;
  std::map<uint32_t, int> reads;

  // Cycles of each kind at all addresses together.
  int TotalPrograms() const { return Sum(programs); }
  int TotalReads() const { return Sum(reads); }

  bool InitializeWinIo() override { return board_->InitializeWinIo(); }
  void ShutdownWinIo() override { board_->ShutdownWinIo(); }

  bool SetPortVal(uint16_t port, uint32_t value, int size) override {
    if (port == kDefaultRtlBase + kFlashRegister && size == 4) {
      address_ = ((value >> 8) & 0x3F) << 8 | (value & 0xFF);
    } else if (port == kDefaultEppPort && value == 5) {
      ++programs[address_];
    } else if (port == kDefaultEppPort && value == 2) {
      const int n = ++reads[address_];
      const auto it = spoiled_reads.find(address_);
      spoil_ = (it != spoiled_reads.end() && n <= it->second) ? n & 0xFF : 0;
    }
    return board_->SetPortVal(port, value, size);
  }

  bool GetPortVal(uint16_t port, uint32_t* value, int size) override {
    const bool ok = board_->GetPortVal(port, value, size);
    if (port == kDefaultRtlBase + kDataByte) *value ^= spoil_;
    return ok;
  }

 private:
  static int Sum(const std::map<uint32_t, int>& counts) {
    int total = 0;
    for (const auto& entry : counts) total += entry.second;
    return total;
  }

  PortIo* board_;
  uint32_t address_ = 0;
  uint32_t spoil_ = 0;
};

#endif  // TARNWICK_CHIP_CYCLE_COUNTING_PORT_H_
