#ifndef TARNWICK_TESTING_FAKE_SYSTEM_H_
#define TARNWICK_TESTING_FAKE_SYSTEM_H_

#include <cstdint>
#include <string>

#include "base/format.h"
#include "testing/files.h"

// The system's files for detection: a fresh folder standing for "/",
// with no PCI device yet.
struct FakeSystem {
  FakeSystem() {
    std::filesystem::create_directories(root / "sys/bus/pci/devices");
  }
  std::filesystem::path root = FreshDir("-system");

  // A PCI function as sysfs shows it: ids as "0x10ec\n" and its resources.
  void AddPciDevice(const std::string& slot, uint16_t vendor, uint16_t device,
                    const std::string& resource,
                    uint16_t subsystem_vendor = 0) const {
    const std::filesystem::path dir = root / "sys/bus/pci/devices" / slot;
    Spill(dir / "vendor", Format("0x%04x\n", unsigned{vendor}));
    Spill(dir / "device", Format("0x%04x\n", unsigned{device}));
    Spill(dir / "subsystem_vendor",
          Format("0x%04x\n", unsigned{subsystem_vendor}));
    Spill(dir / "subsystem_device", "0x8139\n");
    Spill(dir / "resource", resource);
  }
};

// An RTL8139's sysfs resources: 256 I/O ports at `io_base`, then memory.
inline std::string Rtl8139Resources(uint64_t io_base) {
  return Format("0x%016llx 0x%016llx 0x40101\n0xfebf1000 0xfebf10ff 0x40200\n",
                static_cast<unsigned long long>(io_base),
                static_cast<unsigned long long>(io_base + 0xFF));
}

#endif  // TARNWICK_TESTING_FAKE_SYSTEM_H_
