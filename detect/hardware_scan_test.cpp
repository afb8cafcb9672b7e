#include "detect/hardware_scan.h"

#include <gtest/gtest.h>

#include <string>

#include "config/boards_file.h"
#include "testing/fake_system.h"

namespace {

// What the system's files tell: RTL8139 boards by their ids (subsystem ids
// where those decide) with the first I/O range of their resources, and
// parallel ports with their data register (a port's range that another of
// its ranges follows); two of either are not chosen by themselves.
TEST(HardwareScanTest, FindsCardsAndPortsButChoosesOnlyOneOfEach) {
  const FakeSystem fake;
  const std::string memory = "0xfebf1000 0xfebf10ff 0x40200\n";
  fake.AddPciDevice("0000:00:00.0", 0x8086, 0x1237, "");
  fake.AddPciDevice("0000:00:03.0", 0x1186, 0x1300,
                    memory + Rtl8139Resources(0xE800));
  fake.AddPciDevice("0000:00:05.0", 0x0001, 0x8139, Rtl8139Resources(0xE000),
                    0x10EC);
  fake.AddPciDevice("0000:00:06.0", 0x0001, 0x8139, Rtl8139Resources(0xE100));
  fake.AddPciDevice("0000:00:08.0", 0x10EC, 0x8139, memory);
  Spill(fake.root / "proc/ioports",
        "0000-0cf7 : PCI Bus 0000:00\n  0378-037a : parport0\n"
        "  037b-037f : parport0\n    e000-e007 : 0000:05:00.0\n"
        "      e000-e002 : parport1\n      e400-e402 : parport1\n"
        "      e403-e407 : parport1\n");
  EXPECT_EQ("RTL8139 network cards:\n"
            "  0000:00:03.0  1186:1300  I/O base e800\n"
            "  0000:00:05.0  0001:8139  I/O base e000\n"
            "  0000:00:08.0  10ec:8139  not usable: no I/O resource\n"
            "Parallel ports:\n  parport0  data register 378\n"
            "  parport1  data register e400\n"
            "No start.ini to suggest: 2 RTL8139 cards found; choose one with "
            "--rtl-base; 2 parallel ports found; choose one with "
            "--epp-port.\n"
            "# A boards file to start from. tarnwick cannot see which card "
            "a port is wired\n# with: pair them as your boards are, and name "
            "them. Give it with --boards\n# FILE, or keep it as "
            "~/.config/tarnwick/boards.ini.\n"
            "[board1]\nrtl-base = e800\nepp-port = 378\n"
            "[board2]\nrtl-base = e000\nepp-port = e400\n",
            FormatHardwareScan(ScanHardware(fake.root)));
  // What it suggests is a boards file as tarnwick reads it.
  std::vector<NamedBoard> boards;
  std::string error;
  ASSERT_TRUE(ParseBoardsFile(SuggestBoardsFile(ScanHardware(fake.root)),
                              fake.root, &boards, &error))
      << error;
  ASSERT_EQ(2u, boards.size());
  EXPECT_EQ(0xE000, boards[1].ports.rtl_base);
  EXPECT_EQ(0xE400, boards[1].ports.epp_port);

  const std::filesystem::path devices = fake.root / "sys/bus/pci/devices";
  std::filesystem::remove_all(devices / "0000:00:03.0");
  Spill(fake.root / "proc/ioports", "0378-037a : parport0\n");
  uint16_t rtl_base = 0, epp_port = 0;
  std::string why;
  ASSERT_TRUE(
      ChoosePorts(ScanHardware(fake.root), &rtl_base, &epp_port, &why));
  EXPECT_EQ(0xE000, rtl_base);
  EXPECT_EQ(0x378, epp_port);
  EXPECT_EQ("", SuggestBoardsFile(ScanHardware(fake.root))) << "one of each";
}

}  // namespace
