#include "link/trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Keeps every block a trace writes, and all of them.
struct Blocks : TraceOutput {
  std::vector<std::string> written;
  std::string all;
  bool fail = false;
  bool Write(const std::string& text) override {
    written.push_back(text);
    all += text;
    return !fail;
  }
};

// Lines kept until the trace is sent, then written in blocks of at most
// about 64 KB, and at least every 100 ms of stamped time: memory stays
// bounded however long the run, and a killed run leaves its trace.
TEST(TraceTest, SentInBoundedBlocksAsItGoes) {
  Trace trace;
  Blocks out;
  trace.AddAt(5000, "open");
  trace.AddAt(6500, "in C0D7 -> 5A");
  EXPECT_EQ((std::vector<std::string>{"     0.000 ms  open",
                                      "     1.500 ms  in C0D7 -> 5A"}),
            trace.Lines());
  trace.SendTo(&out);
  ASSERT_EQ(1u, out.written.size());
  EXPECT_TRUE(trace.Lines().empty());

  for (int n = 0; n < 20000; ++n) trace.AddAt(7000, "out C0D4 <- FF00CFFF (4)");
  EXPECT_GT(out.written.size(), 6u);
  for (const std::string& block : out.written) {
    EXPECT_LE(block.size(), 64u * 1024 + 50);
    EXPECT_EQ('\n', block.back());
  }
  // A slow run: a line 100 ms after the last block goes out with it.
  const size_t blocks = out.written.size();
  trace.AddAt(200000, "sleep 1");
  EXPECT_EQ(blocks + 1, out.written.size());
  EXPECT_EQ("   195.000 ms  sleep 1\n", out.all.substr(out.all.size() - 23));
  EXPECT_TRUE(trace.Flush());
  EXPECT_EQ(20003, std::count(out.all.begin(), out.all.end(), '\n'));

  out.fail = true;
  trace.AddAt(400000, "close");
  EXPECT_FALSE(trace.Flush());
}

// A limit cuts the trace with a last line saying so, kept or sent, and the
// trace never passes it.
TEST(TraceTest, LimitCutsWithANote) {
  for (const bool sent : {false, true}) {
    Trace trace;
    Blocks out;
    trace.SetLimit(200);
    if (sent) trace.SendTo(&out);
    for (int n = 0; n < 100; ++n) trace.AddAt(n, "in C0D7 -> 5A");
    trace.Flush();
    std::string text = out.all;
    for (const std::string& line : trace.Lines()) text += line + "\n";
    EXPECT_TRUE(trace.cut());
    EXPECT_LE(text.size(), 200u);
    EXPECT_EQ(0u, text.find("     0.000 ms  in C0D7 -> 5A\n"));
    const std::string note =
        "trace stops here: its limit of 200 bytes is reached\n";
    EXPECT_EQ(note, text.substr(text.size() - note.size())) << text;
  }
}

}  // namespace
