#ifndef TARNWICK_JOBS_CYCLE_COUNTING_PORT_H_
#define TARNWICK_JOBS_CYCLE_COUNTING_PORT_H_

#include <cstdint>
#include <map>

#include "link/port_io.h"
#include "link/programmer_link.h"

// A port seam for tests that passes every access on to the board behind it
// and counts, per chip address, the program cycles (control-port pulse
// value 5) and read cycles (control-port value 2) it sees. It can also spoil
// read cycles: the first spoiled_reads[a] read cycles at address a read
// back the board's byte XOR the cycle's number at that address (1, 2, ...),
// the same for both reads of a pair, so the cycle settles on a wrong value.
class CycleCountingPort : public PortIo {
 public:
  explicit CycleCountingPort(PortIo* board, uint16_t rtl_base = kDefaultRtlBase,
                             uint16_t epp_port = kDefaultEppPort)
      : board_(board), rtl_base_(rtl_base), epp_port_(epp_port) {}

  std::map<uint32_t, int> spoiled_reads;
  std::map<uint32_t, int> programs;
  std::map<uint32_t, int> reads;

  int TotalPrograms() const { return Sum(programs); }
  int TotalReads() const { return Sum(reads); }

  bool InitializeWinIo() override { return board_->InitializeWinIo(); }
  void ShutdownWinIo() override { board_->ShutdownWinIo(); }

  bool SetPortVal(uint16_t port, uint32_t value, int size) override {
    if (port == Flash() && size == 4) {
      address_ = ((value >> 8) & 0x3F) << 8 | (value & 0xFF);
    } else if (port == epp_port_ && value == 5) {
      ++programs[address_];
    } else if (port == epp_port_ && value == 2) {
      const int n = ++reads[address_];
      const auto it = spoiled_reads.find(address_);
      spoil_ = (it != spoiled_reads.end() && n <= it->second) ? n & 0xFF : 0;
    }
    return board_->SetPortVal(port, value, size);
  }

  bool GetPortVal(uint16_t port, uint32_t* value, int size) override {
    const bool ok = board_->GetPortVal(port, value, size);
    if (port == static_cast<uint16_t>(rtl_base_ + kDataByte)) *value ^= spoil_;
    return ok;
  }

 private:
  static int Sum(const std::map<uint32_t, int>& counts) {
    int total = 0;
    for (const auto& entry : counts) total += entry.second;
    return total;
  }
  uint16_t Flash() const {
    return static_cast<uint16_t>(rtl_base_ + kFlashRegister);
  }

  PortIo* board_;
  uint16_t rtl_base_;
  uint16_t epp_port_;
  uint32_t address_ = 0;
  uint32_t spoil_ = 0;
};

#endif  // TARNWICK_JOBS_CYCLE_COUNTING_PORT_H_
