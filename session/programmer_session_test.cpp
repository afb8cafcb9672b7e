#include "session/programmer_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/format.h"
#include "base/virtual_clock.h"
#include "testing/board_rig.h"
#include "testing/files.h"

namespace {

namespace fs = std::filesystem;

std::string SignatureOf(ProgrammerSession& session) {
  const Signature s = session.ReadSignature();
  return Format("%02X %02X %02X", unsigned{s.at30}, unsigned{s.at31},
                unsigned{s.at32});
}

std::string ReadAll(ProgrammerSession& session, uint32_t n = 4096) {
  std::vector<uint8_t> bytes(n);
  NoProgress none;
  session.Read(n, bytes.data(), none);
  return std::string(bytes.begin(), bytes.end());
}

// A folder the session makes holds an erased chip, whatever the mode.
TEST(ProgrammerSessionTest, NewSimulatedFolderHoldsAnErasedChip) {
  const fs::path dir = FreshDir() / "new";
  VirtualClock clock;
  std::string why;
  for (bool socket : {false, true}) {
    fs::remove_all(dir);
    auto session =
        ProgrammerSession::Simulated(dir, {{}, &clock, {}, socket}, &why);
    ASSERT_NE(nullptr, session) << why;
    ASSERT_TRUE(session->Open(&why));
    EXPECT_EQ("1E 51 FF", SignatureOf(*session));
    EXPECT_EQ(std::string(4096, '\xFF'), Slurp(dir / "simchip.bin"));
  }
}

// With a socket, the chip file is the chip: taken away it leaves the socket
// empty, and whatever appears next is the new chip. The chip is saved as
// each operation ends, not only at Close.
TEST(ProgrammerSessionTest, ChipFileIsTheSocket) {
  const fs::path dir = FreshDir();
  const fs::path chip = dir / "simchip.bin", away = dir / "chip-1.bin";
  Spill(chip, std::string(4096, '\xFF'));
  VirtualClock clock;
  std::string why;
  auto session =
      ProgrammerSession::Simulated(dir, {{}, &clock, {}, true}, &why);
  ASSERT_NE(nullptr, session) << why;
  ASSERT_TRUE(session->Open(&why));
  const std::string image = Pattern(16);
  NoProgress none;
  session->Write(std::vector<uint8_t>(image.begin(), image.end()), {}, nullptr,
                 none);
  EXPECT_EQ(image, Slurp(chip).substr(0, 16));

  fs::rename(chip, away);
  EXPECT_EQ("FF FF FF", SignatureOf(*session));
  EXPECT_EQ(std::string(4096, '\xFF'), ReadAll(*session));
  EXPECT_FALSE(fs::exists(chip));  // an empty socket saves nothing

  const std::string second = Pattern(4096).substr(100) + std::string(100, 'x');
  Spill(chip, second);
  EXPECT_EQ("1E 51 FF", SignatureOf(*session));
  EXPECT_EQ(second, ReadAll(*session));
  // A chip swapped for another without the socket seen empty.
  Spill(chip, Pattern(4096));
  EXPECT_EQ(Pattern(4096), ReadAll(*session));
  // One of the wrong size is no chip.
  Spill(chip, "short");
  EXPECT_EQ("FF FF FF", SignatureOf(*session));
  EXPECT_TRUE(session->Close().empty());
  EXPECT_EQ(image, Slurp(away).substr(0, 16));
  EXPECT_EQ("short", Slurp(chip));
}

}  // namespace
