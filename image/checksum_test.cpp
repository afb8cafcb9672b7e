#include "image/checksum.h"

#include <gtest/gtest.h>

#include <string>

// Known values: the CRC-32 check value of "123456789" and a sum counted by
// hand. The sums of images, the bytes a file does not give counted as FF,
// are checked as the desktop program shows them (chip_views_test).
TEST(Checksum, KnownValues) {
  const std::string digits = "123456789";
  const auto* d = reinterpret_cast<const uint8_t*>(digits.data());
  EXPECT_EQ(Crc32(d, digits.size()), 0xCBF43926u);
  EXPECT_EQ(Crc32(d + 4, 5, Crc32(d, 4)), 0xCBF43926u);  // continued
  EXPECT_EQ(Sum16(d, digits.size()), 0x01DDu);
  EXPECT_EQ(Crc32Text(0x0DF1A2B3), "0DF1A2B3");
  EXPECT_EQ(Sum16Text(0x1A), "001A");
}
