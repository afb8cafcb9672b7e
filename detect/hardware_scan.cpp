#include "detect/hardware_scan.h"

#include <algorithm>

#include "base/format.h"

namespace {

// "1 RTL8139 card", "2 RTL8139 cards".
std::string Count(size_t n, const char* what) {
  return Format("%u %s%s", static_cast<unsigned>(n), what, n == 1 ? "" : "s");
}

}  // namespace

HardwareScan ScanHardware(const FilePath& root) {
  HardwareScan scan;
  scan.cards = FindNetworkCards(root, &scan.problems);
  scan.ports = FindParallelPorts(root, &scan.problems);
  return scan;
}

bool ChoosePorts(const HardwareScan& scan, uint16_t* rtl_base,
                 uint16_t* epp_port, std::string* why) {
  std::vector<const NetworkCard*> usable;
  for (const NetworkCard& card : scan.cards) {
    if (card.io_base) usable.push_back(&card);
  }
  // Missing hardware may only be unreadable.
  const std::string unsure =
      scan.problems.empty() ? "" : " (but not every system file was readable)";
  std::string reasons;
  auto add = [&reasons](const std::string& reason) {
    reasons += (reasons.empty() ? "" : "; ") + reason;
  };
  if (scan.cards.empty()) {
    add("no RTL8139 card found" + unsure);
  } else if (usable.empty()) {
    add(Count(scan.cards.size(), "RTL8139 card") +
        " found, but none has a usable I/O base");
  } else if (usable.size() > 1) {
    add(Count(usable.size(), "RTL8139 card") +
        " found; choose one with --rtl-base");
  }
  if (scan.ports.empty()) {
    add("no parallel port found" + unsure);
  } else if (scan.ports.size() > 1) {
    add(Count(scan.ports.size(), "parallel port") +
        " found; choose one with --epp-port");
  }
  *why = reasons;
  if (!reasons.empty()) return false;
  *rtl_base = *usable.front()->io_base;
  *epp_port = scan.ports.front().data_register;
  return true;
}

std::string FormatHardwareScan(const HardwareScan& scan) {
  std::string text = "RTL8139 network cards:";
  if (scan.cards.empty()) text += " none found";
  text += "\n";
  for (const NetworkCard& card : scan.cards) {
    text += Format("  %s  %04x:%04x  ", card.slot.c_str(),
                   unsigned{card.vendor}, unsigned{card.device});
    text += card.io_base ? Format("I/O base %x", unsigned{*card.io_base})
                         : "not usable: " + card.problem;
    text += "\n";
  }
  text += "Parallel ports:";
  if (scan.ports.empty()) text += " none found";
  text += "\n";
  for (const ParallelPort& port : scan.ports) {
    text += Format("  %s  data register %x\n", port.name.c_str(),
                   unsigned{port.data_register});
  }
  if (!scan.problems.empty()) {
    text += "Problems:\n";
    for (const std::string& problem : scan.problems)
      text += "  " + problem + "\n";
  }
  uint16_t rtl_base = 0;
  uint16_t epp_port = 0;
  std::string why;
  if (ChoosePorts(scan, &rtl_base, &epp_port, &why)) {
    text += Format(
        "start.ini for this card and port:\n"
        "[TARNWICK]\nRTL8139ADDR=%x;\nEPPADDR=%x;\n",
        unsigned{rtl_base}, unsigned{epp_port});
  } else {
    text += "No start.ini to suggest: " + why + ".\n";
  }
  text += SuggestBoardsFile(scan);
  return text;
}

std::string SuggestBoardsFile(const HardwareScan& scan) {
  std::vector<uint16_t> cards;
  for (const NetworkCard& card : scan.cards) {
    if (card.io_base) cards.push_back(*card.io_base);
  }
  const size_t boards = std::min(cards.size(), scan.ports.size());
  if (boards == 0 || (cards.size() < 2 && scan.ports.size() < 2)) return "";
  std::string text =
      "# A boards file to start from. tarnwick cannot see which card a "
      "port is wired\n# with: pair them as your boards are, and name them. "
      "Give it with --boards\n# FILE, or keep it as "
      "~/.config/tarnwick/boards.ini.\n";
  for (size_t n = 0; n < boards; ++n) {
    text += Format("[board%u]\nrtl-base = %x\nepp-port = %x\n",
                   static_cast<unsigned>(n + 1), unsigned{cards[n]},
                   unsigned{scan.ports[n].data_register});
  }
  if (cards.size() != scan.ports.size()) {
    text += Format("# %s and %s: a board needs one of each.\n",
                   Count(cards.size(), "usable RTL8139 card").c_str(),
                   Count(scan.ports.size(), "parallel port").c_str());
  }
  return text;
}
