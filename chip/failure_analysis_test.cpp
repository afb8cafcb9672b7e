#include "chip/failure_analysis.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// 4 KB of bytes with no pattern, FF from `ff_from` on.
std::vector<uint8_t> Image(uint32_t ff_from = 4096) {
  std::vector<uint8_t> bytes(4096, 0xFF);
  uint32_t x = 12345;
  for (uint32_t a = 0; a < ff_from; ++a) {
    x = x * 1103515245 + 12345;
    bytes[a] = static_cast<uint8_t>(x >> 16);
  }
  return bytes;
}

// The failures of a chip whose address a reads chip(a), wanted `wanted`.
std::vector<ByteFailure> Failures(const std::vector<uint8_t>& wanted,
                                  const std::function<uint8_t(uint32_t)>& chip) {
  std::vector<ByteFailure> failures;
  for (uint32_t a = 0; a < wanted.size(); ++a)
    if (chip(a) != wanted[a])
      failures.push_back({Stage::kVerify, a, wanted[a], chip(a)});
  return failures;
}

TEST(FailureAnalysisTest, NamesWhatTheFailuresPointAt) {
  const std::vector<uint8_t> w = Image(), half = Image(2048);
  const struct Case {
    const char* what;
    const std::vector<uint8_t>& wanted;
    std::function<uint8_t(uint32_t)> chip;
    int data_bit, address_line, swapped_with;  // -1: none named
  } cases[] = {
      {"nothing programmed", w, [](uint32_t) { return 0xFF; }, -1, -1, -1},
      {"data line 3 held low", w, [&](uint32_t a) { return w[a] & 0xF7; }, 3,
       -1, -1},
      {"data line 6 held high", w, [&](uint32_t a) { return w[a] | 0x40; }, 6,
       -1, -1},
      {"line 11 held low, read", half,
       [&](uint32_t a) { return half[a & 0x7FF]; }, -1, 11, -1},
      {"line 11 held high, read", half,
       [&](uint32_t a) { return half[a | 0x800]; }, -1, -1, -1},  // all FF
      {"line 4 held low, both halves written",
       w, [&](uint32_t a) { return w[a & ~0x10u] & w[a | 0x10]; }, -1, 4, -1},
      {"lines 8 and 9 swapped", w,
       [&](uint32_t a) {
         const uint32_t b = (a >> 8 & 1) != (a >> 9 & 1) ? a ^ 0x300 : a;
         return w[b];
       },
       -1, 8, 9},
      {"a few bytes off", w,
       [&](uint32_t a) { return a % 1000 == 7 ? w[a] ^ 0x21 : w[a]; }, -1, -1,
       -1},
      {"two bytes with bit 3 only", w,
       [&](uint32_t a) { return a == 5 || a == 9 ? w[a] ^ 8 : w[a]; }, -1, -1,
       -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<ByteFailure> failures = Failures(c.wanted, c.chip);
    const FailureAnalysis r = AnalyseFailures(failures, c.wanted);
    uint32_t set = 0, cleared = 0;
    for (const ByteFailure& f : failures) {
      for (int bit = 0; bit < 8; ++bit) {
        set += (f.actual >> bit & 1) > (f.expected >> bit & 1);
        cleared += (f.actual >> bit & 1) < (f.expected >> bit & 1);
      }
    }
    EXPECT_EQ(failures.size(), r.addresses);
    EXPECT_EQ(set, r.set_bits);
    EXPECT_EQ(cleared, r.cleared_bits);
    EXPECT_EQ(c.data_bit, r.data_bit.value_or(-1));
    EXPECT_EQ(c.address_line, r.address_line.value_or(-1));
    EXPECT_EQ(c.swapped_with, r.swapped_with.value_or(-1));
    if (r.data_bit) {
      EXPECT_EQ(failures.size(), r.data_bit_failures);
    }
    if (r.address_line) {
      EXPECT_GE(r.address_line_failures * 10, failures.size() * 9);
    }
  }
}

}  // namespace
