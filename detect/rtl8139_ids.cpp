#include "detect/rtl8139_ids.h"

namespace {

constexpr int kAny = -1;

struct Rtl8139Id {
  int vendor;
  int device;
  int subsystem_vendor;
  int subsystem_device;
};

// The PCI ids the Linux 8139too driver takes for the RTL8139. The RTL8129
// (10EC:8129) is left out: it is another chip.
constexpr Rtl8139Id kRtl8139Ids[] = {
    {0x10EC, 0x8139, kAny, kAny},  // Realtek RTL8139 family (8139C+ too)
    {0x10EC, 0x8138, kAny, kAny},  // Realtek RT8139 (B/C) CardBus
    {0x1113, 0x1211, kAny, kAny},  // Accton SMC2-1211TX, EN-1207D
    {0x1500, 0x1360, kAny, kAny},  // Delta Electronics RTL81xx board
    {0x4033, 0x1360, kAny, kAny},  // Addtron Technology RTL8139 board
    {0x1186, 0x1300, kAny, kAny},  // D-Link DFE-538TX, DFE-530TX+
    {0x1186, 0x1340, kAny, kAny},  // D-Link DFE-690TXD CardBus
    {0x13D1, 0xAB06, kAny, kAny},  // Abocom FE2000VX CardBus
    {0x1259, 0xA117, kAny, kAny},  // Allied Telesyn AT-2500TX
    {0x1259, 0xA11E, kAny, kAny},  // Allied Telesyn AT-2500TX V3
    {0x14EA, 0xAB06, kAny, kAny},  // Planex FNW-3603-TX CardBus
    {0x14EA, 0xAB07, kAny, kAny},  // Planex FNW-3800-TX CardBus
    {0x11DB, 0x1234, kAny, kAny},  // Sega Dreamcast Broadband Adapter
    {0x1432, 0x9130, kAny, kAny},  // Edimax EN-9130TX
    {0x02AC, 0x1012, kAny, kAny},  // SpeedStream 1012 PCMCIA 10/100
    {0x018A, 0x0106, kAny, kAny},  // LevelOne FPC-0106TX
    {0x126C, 0x1211, kAny, kAny},  // Nortel Networks 10/100BaseTX
    {0x1743, 0x8139, kAny, kAny},  // Peppercon ROL/F-100
    {0x021B, 0x8139, kAny, kAny},  // Compaq HNE-300 (iPaq Networking)
    {0x16EC, 0xAB06, kAny, kAny},  // U.S. Robotics USR997901A CardBus
    // Boards that report a wrong vendor id (0x0001 has been seen) but the
    // right device and subsystem ids.
    {kAny, 0x8139, 0x10EC, 0x8139},  // Realtek
    {kAny, 0x8139, 0x1186, 0x1300},  // D-Link DFE-538TX
    {kAny, 0x8139, 0x13D1, 0xAB06},  // Abocom FE2000VX
};

bool Matches(int wanted, uint16_t id) { return wanted == kAny || wanted == id; }

}  // namespace

bool IsRtl8139(const PciIds& ids) {
  for (const Rtl8139Id& entry : kRtl8139Ids) {
    if (Matches(entry.vendor, ids.vendor) &&
        Matches(entry.device, ids.device) &&
        Matches(entry.subsystem_vendor, ids.subsystem_vendor) &&
        Matches(entry.subsystem_device, ids.subsystem_device)) {
      return true;
    }
  }
  return false;
}

bool Rtl8139NeedsSubsystem(uint16_t vendor, uint16_t device) {
  bool needs = false;
  for (const Rtl8139Id& entry : kRtl8139Ids) {
    if (!Matches(entry.vendor, vendor) || !Matches(entry.device, device))
      continue;
    if (entry.subsystem_vendor == kAny && entry.subsystem_device == kAny)
      return false;  // taken whatever the subsystem ids
    needs = true;
  }
  return needs;
}
