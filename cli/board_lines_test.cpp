#include "cli/board_lines.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>

namespace {

// Each line whole, under its board's name, the status lines erased above
// the cursor and drawn again below each line.
TEST(BoardLinesTest, LinesWholeUnderTheirNamesStatusLinesBelow) {
  std::ostringstream out, err;
  {
    BoardLines lines(out, err, true, {"a", "bb"});
    lines.Status(0)->Show("write 0100");
    lines.Out(0) << "chip 1: PA";  // half a line waits for its end
    lines.Err(1) << "tarnwick: busy\n";
    lines.Out(0) << "SS\n";
    lines.Out(1) << "unended";
  }
  const std::string status = "a: write 0100\nbb: starting\n";
  const std::string erase = "\r\x1b[2A\x1b[J";
  EXPECT_EQ("a: chip 1: PASS\nbb: unended\n", out.str());
  EXPECT_EQ(status + erase + "tarnwick: bb: busy\n" + status + erase +
                status + erase + status,
            err.str());
}

// Without status lines nothing but the lines is written; boards writing
// from threads of their own never mix their lines.
TEST(BoardLinesTest, ThreadsNeverMixTheirLines) {
  std::ostringstream out, err;
  {
    BoardLines lines(out, err, false, {"a", "b"});
    EXPECT_EQ(nullptr, lines.Status(0));
    std::thread other([&] {
      for (int n = 0; n < 500; ++n) lines.Out(1) << "line " << n << "\n";
    });
    for (int n = 0; n < 500; ++n) lines.Out(0) << "line " << n << "\n";
    other.join();
  }
  EXPECT_EQ("", err.str());
  std::istringstream written(out.str());
  int next[2] = {0, 0};
  for (std::string line; std::getline(written, line);) {
    const int board = line[0] - 'a';
    ASSERT_TRUE(board == 0 || board == 1) << line;
    EXPECT_EQ(line.substr(0, 3) + "line " + std::to_string(next[board]++),
              line);
  }
  EXPECT_EQ(500, next[0]);
  EXPECT_EQ(500, next[1]);
}

}  // namespace
