#include "session/programmer_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/virtual_clock.h"
#include "testing/board_rig.h"

namespace {

namespace fs = std::filesystem;

// A folder the session makes holds an erased chip. With a socket, the chip
// file is the chip: taken away it leaves the socket empty (no chip answers),
// and whatever appears next is the new chip; the chip is saved as each
// operation ends, not only at Close.
TEST(ProgrammerSessionTest, ChipFileIsTheSocket) {
  const fs::path dir = FreshDir() / "new", chip = dir / "simchip.bin";
  VirtualClock clock;
  std::string why;
  auto session =
      ProgrammerSession::Simulated(dir, {{}, &clock, {}, true}, &why);
  ASSERT_NE(nullptr, session) << why;
  ASSERT_TRUE(session->Open(&why));
  EXPECT_EQ(std::string(4096, '\xFF'), Slurp(chip));
  auto answers = [&] { return !NoChipAnswers(session->ReadSignature()); };
  auto read = [&] {
    std::vector<uint8_t> bytes(4096);
    NoProgress none;
    session->Read(4096, bytes.data(), none);
    return std::string(bytes.begin(), bytes.end());
  };
  const std::string image = Pattern(16);
  NoProgress none;
  session->Write(std::vector<uint8_t>(image.begin(), image.end()), {}, nullptr,
                 none);
  EXPECT_EQ(image, Slurp(chip).substr(0, 16));

  fs::rename(chip, dir / "out.bin");
  EXPECT_FALSE(answers());
  EXPECT_FALSE(fs::exists(chip));  // an empty socket saves nothing
  Spill(chip, Pattern(4096));
  EXPECT_TRUE(answers());
  EXPECT_EQ(Pattern(4096), read());
  Spill(chip, Pattern(4096).replace(0, 1, "x"));  // swapped, never empty
  EXPECT_EQ('x', read()[0]);
  Spill(chip, "short");  // no chip
  EXPECT_FALSE(answers());
  EXPECT_TRUE(session->Close().empty());
  EXPECT_EQ(image, Slurp(dir / "out.bin").substr(0, 16));
  EXPECT_EQ("short", Slurp(chip));
}

}  // namespace
