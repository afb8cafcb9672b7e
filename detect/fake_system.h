#ifndef TARNWICK_DETECT_FAKE_SYSTEM_H_
#define TARNWICK_DETECT_FAKE_SYSTEM_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/format.h"

// A small fake of the system's files for detection tests: a fresh folder
// under the test's temporary folder that stands for "/".
class FakeSystem {
 public:
  explicit FakeSystem(const std::string& name)
      : root_(std::filesystem::path(::testing::TempDir()) / name) {
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "sys/bus/pci/devices");
  }

  const std::filesystem::path& root() const { return root_; }

  // Writes `text` to the file at `relative`, making its folders.
  void Write(const std::string& relative, const std::string& text) const {
    const std::filesystem::path path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }

  // A PCI function as sysfs shows it: ids as "0x10ec\n" and its resources.
  void AddPciDevice(const std::string& slot, uint16_t vendor, uint16_t device,
                    const std::string& resource, uint16_t subsystem_vendor = 0,
                    uint16_t subsystem_device = 0) const {
    const std::string dir = "sys/bus/pci/devices/" + slot + "/";
    Write(dir + "vendor", Format("0x%04x\n", unsigned{vendor}));
    Write(dir + "device", Format("0x%04x\n", unsigned{device}));
    Write(dir + "subsystem_vendor",
          Format("0x%04x\n", unsigned{subsystem_vendor}));
    Write(dir + "subsystem_device",
          Format("0x%04x\n", unsigned{subsystem_device}));
    Write(dir + "resource", resource);
  }

 private:
  std::filesystem::path root_;
};

// One line of a sysfs `resource` file.
inline std::string ResourceLine(uint64_t start, uint64_t end, uint64_t flags) {
  return Format("0x%016llx 0x%016llx 0x%016llx\n",
                static_cast<unsigned long long>(start),
                static_cast<unsigned long long>(end),
                static_cast<unsigned long long>(flags));
}

// An RTL8139's resources: I/O ports at `io_base` (256 of them), then
// memory, then the unused ones.
inline std::string Rtl8139Resources(uint64_t io_base) {
  std::string text = ResourceLine(io_base, io_base + 0xFF, 0x40101) +
                     ResourceLine(0xFEBF1000, 0xFEBF10FF, 0x40200);
  for (int i = 0; i < 11; ++i) text += ResourceLine(0, 0, 0);
  return text;
}

#endif  // TARNWICK_DETECT_FAKE_SYSTEM_H_
