#include "detect/parallel_ports.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "detect/fake_system.h"

namespace {

std::vector<std::string> Describe(const std::vector<ParallelPort>& ports) {
  std::vector<std::string> lines;
  for (const ParallelPort& port : ports) {
    lines.push_back(
        Format("%s %x", port.name.c_str(), unsigned{port.data_register}));
  }
  return lines;
}

// An on-board port with its EPP and ECP ranges, a PCI card whose ECP
// range lies below its base, and two ports with their base range alone.
TEST(ParallelPortsTest, EveryParportWithItsDataRegister) {
  const FakeSystem fake("ports_found");
  fake.Write("proc/ioports",
             "0000-0cf7 : PCI Bus 0000:00\n"
             "  0000-001f : dma1\n"
             "  0278-027a : parport2\n"
             "  02f8-02ff : serial\n"
             "  0378-037a : parport0\n"
             "  037b-037f : parport0\n"
             "  03bc-03be : parport10\n"
             "  0778-077a : parport0\n"
             "0cf8-0cff : PCI conf1\n"
             "0d00-ffff : PCI Bus 0000:00\n"
             "  e000-efff : PCI Bus 0000:05\n"
             "    e000-e007 : 0000:05:00.0\n"
             "      e000-e002 : parport1\n"
             "    e400-e407 : 0000:05:00.0\n"
             "      e400-e402 : parport1\n"
             "      e403-e407 : parport1\n");
  std::vector<std::string> problems;
  EXPECT_EQ((std::vector<std::string>{"parport0 378", "parport1 e400",
                                      "parport2 278", "parport10 3bc"}),
            Describe(FindParallelPorts(fake.root(), &problems)));
  EXPECT_TRUE(problems.empty());
}

TEST(ParallelPortsTest, HiddenAddressesAndAMissingFileAreProblems) {
  const FakeSystem fake("ports_problems");
  const std::string path = PathForDisplay(fake.root() / "proc/ioports");
  std::vector<std::string> problems;

  fake.Write("proc/ioports",
             "0000-0000 : PCI Bus 0000:00\n"
             "  0000-0000 : dma1\n");
  EXPECT_TRUE(FindParallelPorts(fake.root(), &problems).empty());
  EXPECT_TRUE(problems.empty()) << "no port, and nothing wrong";

  // What users other than root see.
  fake.Write("proc/ioports",
             "0000-0000 : PCI Bus 0000:00\n"
             "  0000-0000 : parport0\n"
             "  0000-0000 : parport0\n");
  EXPECT_TRUE(FindParallelPorts(fake.root(), &problems).empty());
  std::filesystem::remove(fake.root() / "proc/ioports");
  EXPECT_TRUE(FindParallelPorts(fake.root(), &problems).empty());
  EXPECT_EQ((std::vector<std::string>{
                path + " shows parport0 at address 0: the kernel hides port "
                       "addresses from users other than root; run as root "
                       "to see it",
                "cannot read " + path + ": No such file or directory"}),
            problems);
}

}  // namespace
