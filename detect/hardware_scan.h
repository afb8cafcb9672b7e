#ifndef TARNWICK_DETECT_HARDWARE_SCAN_H_
#define TARNWICK_DETECT_HARDWARE_SCAN_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/file.h"
#include "detect/network_cards.h"
#include "detect/parallel_ports.h"

// What the system's files tell of the programmer's two I/O resources.
struct HardwareScan {
  std::vector<NetworkCard> cards;
  std::vector<ParallelPort> ports;
  // Files and folders that could not be read, with the path and why.
  std::vector<std::string> problems;
};

// Reads the PCI devices and the I/O port list under `root` ("/" in real
// use). Reads files only; touches no port.
HardwareScan ScanHardware(const FilePath& root);

// With exactly one usable card (one with an I/O base) and exactly one
// parallel port: true, and both addresses. Otherwise false, the addresses
// untouched, and `*why` says so plainly ("no RTL8139 card found", "2
// RTL8139 cards found; choose one with --rtl-base", ...).
bool ChoosePorts(const HardwareScan& scan, uint16_t* rtl_base,
                 uint16_t* epp_port, std::string* why);

// The report `tarnwick ports` prints: the cards (PCI slot, vendor:device,
// I/O base) and parallel ports (name, data register) found, the problems,
// and the start.ini that selects the pair ChoosePorts chooses, or why
// there is none. Numbers are lower-case hexadecimal.
// With several usable cards or parallel ports, it ends with
// SuggestBoardsFile's.
std::string FormatHardwareScan(const HardwareScan& scan);

// A boards file naming a board ("board1", ...) for each usable card paired
// with the parallel port of its rank, saying that the pairing is the
// user's; empty unless there are several cards or ports, and one of each.
std::string SuggestBoardsFile(const HardwareScan& scan);

#endif  // TARNWICK_DETECT_HARDWARE_SCAN_H_
