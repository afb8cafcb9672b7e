#include "detect/hardware_scan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "detect/fake_system.h"

namespace {

constexpr char kOnePort[] = "0378-037a : parport0\n";
constexpr char kTwoPorts[] = "0278-027a : parport1\n0378-037a : parport0\n";

void OneCard(const FakeSystem& fake) {
  fake.AddPciDevice("0000:03:00.0", 0x10EC, 0x8139, Rtl8139Resources(0xC000));
}

TEST(HardwareScanTest, ChoosesOnlyOneCardAndOnePort) {
  const struct Case {
    const char* name;
    std::function<void(const FakeSystem&)> set_up;
    bool chosen;
    uint16_t rtl_base, epp_port;
    std::string why;
  } cases[] = {
      {"one of each",
       [](const FakeSystem& fake) {
         fake.AddPciDevice("0000:00:02.0", 0x8086, 0x100E,
                           ResourceLine(0xC100, 0xC13F, 0x101));
         fake.AddPciDevice("0000:04:00.0", 0x1186, 0x1300,
                           Rtl8139Resources(0xE800));
         fake.Write("proc/ioports", kOnePort);
       },
       true, 0xE800, 0x378, ""},
      {"a usable card beside one without I/O",
       [](const FakeSystem& fake) {
         OneCard(fake);
         fake.AddPciDevice("0000:04:00.0", 0x10EC, 0x8139, "");
         fake.Write("proc/ioports", kOnePort);
       },
       true, 0xC000, 0x378, ""},
      {"no card",
       [](const FakeSystem& fake) {
         fake.AddPciDevice("0000:00:02.0", 0x8086, 0x100E,
                           ResourceLine(0xC000, 0xC03F, 0x101));
         fake.Write("proc/ioports", kOnePort);
       },
       false, 0, 0, "no RTL8139 card found"},
      {"two cards",
       [](const FakeSystem& fake) {
         OneCard(fake);
         fake.AddPciDevice("0000:04:00.0", 0x10EC, 0x8139,
                           Rtl8139Resources(0xD000));
         fake.Write("proc/ioports", kOnePort);
       },
       false, 0, 0, "2 RTL8139 cards found; choose one with --rtl-base"},
      {"a card without I/O",
       [](const FakeSystem& fake) {
         fake.AddPciDevice("0000:03:00.0", 0x10EC, 0x8139,
                           ResourceLine(0xFEBF1000, 0xFEBF10FF, 0x40200));
         fake.Write("proc/ioports", kOnePort);
       },
       false, 0, 0, "1 RTL8139 card found, but none has a usable I/O base"},
      {"two ports",
       [](const FakeSystem& fake) {
         OneCard(fake);
         fake.Write("proc/ioports", kTwoPorts);
       },
       false, 0, 0, "2 parallel ports found; choose one with --epp-port"},
      {"nothing readable",
       [](const FakeSystem& fake) {
         std::filesystem::remove_all(fake.root() / "sys");
       },
       false, 0, 0,
       "no RTL8139 card found (but not every system file was readable); "
       "no parallel port found (but not every system file was readable)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const FakeSystem fake("scan_choose");
    c.set_up(fake);
    uint16_t rtl_base = 1;
    uint16_t epp_port = 2;
    std::string why = "old";
    EXPECT_EQ(c.chosen, ChoosePorts(ScanHardware(fake.root()), &rtl_base,
                                    &epp_port, &why));
    EXPECT_EQ(c.why, why);
    EXPECT_EQ(c.chosen ? c.rtl_base : 1, rtl_base);
    EXPECT_EQ(c.chosen ? c.epp_port : 2, epp_port);
  }
}

TEST(HardwareScanTest, ReportListsWhatWasFoundAndTheStartIni) {
  const FakeSystem fake("scan_report");
  OneCard(fake);
  fake.Write("proc/ioports", kOnePort);
  EXPECT_EQ(
      "RTL8139 network cards:\n"
      "  0000:03:00.0  10ec:8139  I/O base c000\n"
      "Parallel ports:\n"
      "  parport0  data register 378\n"
      "start.ini for this card and port:\n"
      "[TARNWICK]\n"
      "RTL8139ADDR=c000;\n"
      "EPPADDR=378;\n",
      FormatHardwareScan(ScanHardware(fake.root())));

  fake.AddPciDevice("0000:04:00.0", 0x10EC, 0x8139, "");
  fake.AddPciDevice("0000:05:00.0", 0x1113, 0x1211, Rtl8139Resources(0xD000));
  fake.Write("proc/ioports", kTwoPorts);
  fake.Write("sys/bus/pci/devices/0000:06:00.0/vendor", "");
  const std::string problem =
      PathForDisplay(fake.root() / "sys/bus/pci/devices/0000:06:00.0/vendor") +
      ": not a PCI id";
  EXPECT_EQ(Format("RTL8139 network cards:\n"
                   "  0000:03:00.0  10ec:8139  I/O base c000\n"
                   "  0000:04:00.0  10ec:8139  not usable: no I/O resource\n"
                   "  0000:05:00.0  1113:1211  I/O base d000\n"
                   "Parallel ports:\n"
                   "  parport0  data register 378\n"
                   "  parport1  data register 278\n"
                   "Problems:\n"
                   "  %s\n"
                   "No start.ini to suggest: 2 RTL8139 cards found; choose "
                   "one with --rtl-base; 2 parallel ports found; choose one "
                   "with --epp-port.\n",
                   problem.c_str()),
            FormatHardwareScan(ScanHardware(fake.root())));

  std::filesystem::remove_all(fake.root() / "sys");
  std::filesystem::remove(fake.root() / "proc/ioports");
  const std::string text = FormatHardwareScan(ScanHardware(fake.root()));
  EXPECT_EQ(0u, text.find("RTL8139 network cards: none found\n"
                          "Parallel ports: none found\n"
                          "Problems:\n"))
      << text;
}

}  // namespace
