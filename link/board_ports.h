#ifndef TARNWICK_LINK_BOARD_PORTS_H_
#define TARNWICK_LINK_BOARD_PORTS_H_

#include <cstdint>

// Register offsets from the network card's I/O base: its flash access
// register (address, mode and data lines, one 32-bit write) and, within
// it, the address-high byte (an 8-bit write) and the data byte the chip
// drives (an 8-bit read).
constexpr uint16_t kFlashRegister = 0xD4;
constexpr uint16_t kAddressHighByte = 0xD5;
constexpr uint16_t kDataByte = 0xD7;

// Default I/O base of the network card and address of the parallel port.
constexpr uint16_t kDefaultRtlBase = 0xC000;
constexpr uint16_t kDefaultEppPort = 0x378;

// Where the programmer board hangs: the network card's I/O base and the
// parallel port's data register (the control port).
struct BoardPorts {
  uint16_t rtl_base = kDefaultRtlBase;
  uint16_t epp_port = kDefaultEppPort;

  // The card's register at `offset`; the sum wraps in 16 bits.
  uint16_t Card(uint16_t offset) const {
    return static_cast<uint16_t>(rtl_base + offset);
  }

  // Whether the `count` ports from `port` on are all the board's own: the
  // card's flash register (its four ports from kFlashRegister) or the
  // parallel port's data register.
  bool Holds(uint16_t port, uint32_t count) const {
    const uint32_t card = Card(kFlashRegister);
    const uint32_t last = uint32_t{port} + count - 1;
    return (port >= card && last <= card + kDataByte - kFlashRegister) ||
           (count == 1 && port == epp_port);
  }
};

#endif  // TARNWICK_LINK_BOARD_PORTS_H_
