#include "image/checksum.h"

#include <gtest/gtest.h>

#include <string>

// Known values: the CRC-32 check value of "123456789", and images whose
// sums can be counted by hand.
TEST(Checksum, KnownValues) {
  const std::string digits = "123456789";
  const auto* d = reinterpret_cast<const uint8_t*>(digits.data());
  EXPECT_EQ(Crc32(d, digits.size()), 0xCBF43926u);
  EXPECT_EQ(Crc32(d + 4, 5, Crc32(d, 4)), 0xCBF43926u);  // continued
  EXPECT_EQ(Sum16(d, digits.size()), 0x01DDu);
  EXPECT_EQ(Crc32Text(0x0DF1A2B3), "0DF1A2B3");
  EXPECT_EQ(Sum16Text(0x1A), "001A");
}

TEST(Checksum, BytesNotGivenCountAsFF) {
  ChipImage raw;
  raw.bytes = {0x00, 0x01};  // a raw file of two bytes
  const ImageChecksums r = ChecksumsOf(raw, 4096);
  EXPECT_EQ(r.bytes_given, 2u);
  EXPECT_EQ(r.file_sum16, 1);
  EXPECT_EQ(r.sum16, static_cast<uint16_t>(1 + 4094 * 0xFF));
  EXPECT_EQ(r.last, 1u);

  ChipImage text;  // records giving 0x10 at 5 and 0x20 at 4096
  text.whole_chip = true;
  text.bytes.assign(8192, 0xFF);
  text.line_of.assign(8192, 0);
  text.bytes[5] = 0x10, text.line_of[5] = 1;
  text.bytes[4096] = 0x20, text.line_of[4096] = 2;
  const ImageChecksums small = ChecksumsOf(text, 4096);
  EXPECT_EQ(small.bytes_given, 1u);
  EXPECT_EQ(small.first, 5u);
  EXPECT_EQ(small.file_sum16, 0x10);
  const ImageChecksums large = ChecksumsOf(text, 8192);
  EXPECT_EQ(large.bytes_given, 2u);
  EXPECT_EQ(large.last, 4096u);
  EXPECT_EQ(large.sum16, static_cast<uint16_t>(0x10 + 0x20 + 8190 * 0xFF));
  EXPECT_NE(small.crc32, large.crc32);
}
