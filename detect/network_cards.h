#ifndef TARNWICK_DETECT_NETWORK_CARDS_H_
#define TARNWICK_DETECT_NETWORK_CARDS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/file.h"

// An RTL8139 network card found on the PCI bus.
struct NetworkCard {
  std::string slot;  // its PCI address, e.g. "0000:03:00.0"
  uint16_t vendor = 0;
  uint16_t device = 0;
  // The start of its first I/O resource, where the programmer's registers
  // lie; absent when it has none usable, and then `problem` says why.
  std::optional<uint16_t> io_base;
  std::string problem;
};

// Every RTL8139 card under <root>/sys/bus/pci/devices, in slot order,
// told by the `vendor` and `device` files (and `subsystem_vendor` and
// `subsystem_device` where those decide) and given the first I/O resource
// of its `resource` file. A folder that cannot be listed, or a device
// whose ids cannot be read, is added to `*problems` ("cannot read <path>:
// <why>"); a card whose resources cannot be read is listed with that
// problem.
std::vector<NetworkCard> FindNetworkCards(const FilePath& root,
                                          std::vector<std::string>* problems);

#endif  // TARNWICK_DETECT_NETWORK_CARDS_H_
