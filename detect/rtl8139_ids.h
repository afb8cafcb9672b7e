#ifndef TARNWICK_DETECT_RTL8139_IDS_H_
#define TARNWICK_DETECT_RTL8139_IDS_H_

#include <cstdint>

// A PCI function's identity: vendor and device ids, and the subsystem ids
// its board maker put in.
struct PciIds {
  uint16_t vendor = 0;
  uint16_t device = 0;
  uint16_t subsystem_vendor = 0;
  uint16_t subsystem_device = 0;
};

// True for a network card built on the RTL8139: the ids the Linux 8139too
// driver takes (Realtek's own, and boards sold under other vendor ids).
bool IsRtl8139(const PciIds& ids);

// True when IsRtl8139 for a function with this vendor and device depends
// on its subsystem ids (boards that report a wrong vendor id); otherwise
// the subsystem ids need not be read.
bool Rtl8139NeedsSubsystem(uint16_t vendor, uint16_t device);

#endif  // TARNWICK_DETECT_RTL8139_IDS_H_
