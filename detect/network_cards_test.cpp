#include "detect/network_cards.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "detect/fake_system.h"

namespace {

namespace fs = std::filesystem;

// Slot, ids and I/O base of each card, for comparing whole lists.
std::vector<std::string> Describe(const std::vector<NetworkCard>& cards) {
  std::vector<std::string> lines;
  for (const NetworkCard& card : cards) {
    lines.push_back(Format("%s %04x:%04x ", card.slot.c_str(),
                           unsigned{card.vendor}, unsigned{card.device}) +
                    (card.io_base ? Format("%x", unsigned{*card.io_base})
                                  : "problem: " + card.problem));
  }
  return lines;
}

TEST(NetworkCardsTest, FindsRtl8139BoardsByTheirIds) {
  const FakeSystem fake("cards_ids");
  const std::string none = ResourceLine(0, 0, 0);
  fake.AddPciDevice("0000:00:09.0", 0x16EC, 0xAB06, Rtl8139Resources(0xE400));
  fake.AddPciDevice("0000:00:00.0", 0x8086, 0x1237, none);  // host bridge
  fake.AddPciDevice("0000:00:03.0", 0x10EC, 0x8139, Rtl8139Resources(0xC000));
  fake.AddPciDevice("0000:00:04.0", 0x1186, 0x1300, Rtl8139Resources(0xD000));
  // A wrong vendor id, told by the subsystem ids.
  fake.AddPciDevice("0000:00:05.0", 0x0001, 0x8139, Rtl8139Resources(0xE000),
                    0x10EC, 0x8139);
  fake.AddPciDevice("0000:00:06.0", 0x0001, 0x8139, Rtl8139Resources(0xE100),
                    0x1234, 0x5678);
  fake.AddPciDevice("0000:00:07.0", 0x10EC, 0x8169, Rtl8139Resources(0xE200));
  fake.AddPciDevice("0000:00:08.0", 0x10EC, 0x8129, Rtl8139Resources(0xE300));
  fake.AddPciDevice("0000:00:0a.0", 0x1743, 0x1211, Rtl8139Resources(0xE500));

  std::vector<std::string> problems;
  EXPECT_EQ((std::vector<std::string>{
                "0000:00:03.0 10ec:8139 c000", "0000:00:04.0 1186:1300 d000",
                "0000:00:05.0 0001:8139 e000", "0000:00:09.0 16ec:ab06 e400"}),
            Describe(FindNetworkCards(fake.root(), &problems)));
  EXPECT_TRUE(problems.empty());
}

// The I/O base is the start of the first I/O range, whichever line.
TEST(NetworkCardsTest, IoBaseOrWhyThereIsNone) {
  const std::string memory = ResourceLine(0xFEBF1000, 0xFEBF10FF, 0x40200);
  const struct Case {
    const char* name;
    std::string resource;  // empty with `folder`: a folder in its place
    bool folder;
    std::string card;
  } cases[] = {
      {"first line", Rtl8139Resources(0xC000), false, "c000"},
      {"after memory",
       memory + ResourceLine(0xE800, 0xE8FF, 0x40101) +
           ResourceLine(0xD000, 0xD0FF, 0x101),
       false, "e800"},
      {"memory only", memory + ResourceLine(0, 0, 0), false,
       "problem: no I/O resource"},
      {"empty", "", false, "problem: no I/O resource"},
      {"unassigned", ResourceLine(0, 0xFF, 0x40101), false,
       "problem: its I/O resource has no address assigned"},
      {"above ffff", ResourceLine(0x10000, 0x100FF, 0x101), false,
       "problem: its I/O base 10000 lies above ffff"},
      {"unreadable", "", true, "problem: cannot read "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const FakeSystem fake("cards_io_base");
    fake.AddPciDevice("0000:03:00.0", 0x10EC, 0x8139, c.resource);
    const fs::path resource =
        fake.root() / "sys/bus/pci/devices/0000:03:00.0/resource";
    std::string card = "0000:03:00.0 10ec:8139 " + c.card;
    if (c.folder) {
      fs::remove(resource);
      fs::create_directory(resource);
      card += PathForDisplay(resource) + ": is a folder";
    }
    std::vector<std::string> problems;
    EXPECT_EQ(std::vector<std::string>{card},
              Describe(FindNetworkCards(fake.root(), &problems)));
    EXPECT_TRUE(problems.empty()) << "the card's own problem";
  }
}

// Nothing unreadable vanishes: each is a problem naming the path and why,
// and the readable cards are still found.
TEST(NetworkCardsTest, UnreadableFilesAndFoldersAreProblems) {
  const FakeSystem fake("cards_unreadable");
  const fs::path devices = fake.root() / "sys/bus/pci/devices";
  fake.AddPciDevice("0000:00:01.0", 0x10EC, 0x8139, Rtl8139Resources(0xC000));
  fake.AddPciDevice("0000:00:02.0", 0x10EC, 0x8139, Rtl8139Resources(0xD000));
  fs::remove(devices / "0000:00:02.0/vendor");
  fs::create_directory(devices / "0000:00:02.0/vendor");
  fake.AddPciDevice("0000:00:03.0", 0x10EC, 0x8139, Rtl8139Resources(0xE000));
  fs::remove(devices / "0000:00:03.0/device");
  fake.AddPciDevice("0000:00:04.0", 0x0001, 0x8139, Rtl8139Resources(0xE100));
  fs::remove(devices / "0000:00:04.0/subsystem_vendor");
  fake.Write("sys/bus/pci/devices/0000:00:05.0/vendor", "0xbanana\n");

  std::vector<std::string> problems;
  EXPECT_EQ(std::vector<std::string>{"0000:00:01.0 10ec:8139 c000"},
            Describe(FindNetworkCards(fake.root(), &problems)));
  const std::string path = PathForDisplay(devices);
  EXPECT_EQ((std::vector<std::string>{
                "cannot read " + path + "/0000:00:02.0/vendor: is a folder",
                "cannot read " + path +
                    "/0000:00:03.0/device: No such file or directory",
                "cannot read " + path +
                    "/0000:00:04.0/subsystem_vendor: No such file or "
                    "directory",
                path + "/0000:00:05.0/vendor: not a PCI id"}),
            problems);

  // The device folder itself: a file in its place, then missing.
  problems.clear();
  fs::remove_all(devices);
  fake.Write("sys/bus/pci/devices", "");
  EXPECT_TRUE(FindNetworkCards(fake.root(), &problems).empty());
  fs::remove_all(fake.root() / "sys");
  EXPECT_TRUE(FindNetworkCards(fake.root(), &problems).empty());
  EXPECT_EQ((std::vector<std::string>{
                "cannot list " + path + ": Not a directory",
                "cannot list " + path + ": No such file or directory"}),
            problems);
}

}  // namespace
