#include "image/intel_hex.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

constexpr char kEnd[] = ":00000001FF";

TEST(ParseIntelHexTest, RefusesWithLineAndReason) {
  struct Case {
    std::string text;
    uint32_t chip_size;
    int line;
    std::string what;  // a distinctive part of the message
  } cases[] = {
      {":0300000002003007\n" + std::string(kEnd), 4096, 1,
       "bad checksum: the record sums to 3C, not 00"},
      {":00000006FA\n" + std::string(kEnd), 4096, 1,
       "record type 06 is not known"},
      {":01100000AA45\n" + std::string(kEnd), 4096, 1,
       "byte at address 1000 is beyond the 4096-byte chip"},
      {":010FFF005A97\n:011FFF005A87\n" + std::string(kEnd), 4096, 2,
       "byte at address 1FFF is beyond the 4096-byte chip"},
      // Addresses do not wrap at 64 KB.
      {":02FFFF00AABB9B\n" + std::string(kEnd), 0x10000, 1,
       "byte at address 10000 is beyond the 65536-byte chip"},
      // Segment 0100 and linear bank 0001 put offset 0 out of reach.
      {":020000020100FB\n:01000000AA55\n" + std::string(kEnd), 4096, 2,
       "byte at address 1000 is beyond"},
      {":020000040001F9\n:01000000AA55\n" + std::string(kEnd), 8192, 2,
       "byte at address 10000 is beyond the 8192-byte chip"},
      {":01012300419A\r\n:010123004299\r\n" + std::string(kEnd), 4096, 2,
       "address 0123 is given twice with different data (41, then 42)"},
      {std::string(kEnd) + "\n\n:01000000AA55\n", 4096, 3,
       "data after the end-of-file record"},
      {std::string(kEnd) + "\n" + kEnd + "\n", 4096, 2,
       "data after the end-of-file record"},
      {":0100000g0000\n" + std::string(kEnd), 4096, 1,
       "non-hex character 'g'"},
      {":01000000 AA55\n" + std::string(kEnd), 4096, 1,
       "non-hex character ' '"},
      {":01000000\x01" "AA55\n" + std::string(kEnd), 4096, 1,
       "non-hex character byte 01"},
      {"\n\r\n01000000AA55\n" + std::string(kEnd), 4096, 3,
       "does not start with ':' but with '0'"},
      // A byte order mark only opens the text.
      {":0100000011EE\n\xEF\xBB\xBF" + std::string(kEnd), 4096, 2,
       "does not start with ':' but with byte EF"},
      {":\n" + std::string(kEnd), 4096, 1, "nothing after ':'"},
      // A DOS end-of-file byte ends the text, never a record.
      {":0100000011EE\n\x1A" + std::string(kEnd), 4096, 2,
       "does not start with ':' but with byte 1A"},
      {":0100000011EE\n\x1A", 4096, 2, "no end-of-file record"},
      {":0300000002003\n" + std::string(kEnd), 4096, 1,
       "odd number of hex digits (13)"},
      {":04000000020030CA\n" + std::string(kEnd), 4096, 1,
       "record is shorter than its byte count says: 8 bytes, not 9"},
      {":00\n" + std::string(kEnd), 4096, 1,
       "record is shorter than its byte count says: 1 bytes, not 5"},
      {":02000000020030CC\n" + std::string(kEnd), 4096, 1,
       "record is longer than its byte count says: 8 bytes, not 7"},
      {":" + std::string(1000000, '0') + "\n" + kEnd, 4096, 1,
       "record is longer than its byte count says: 500000 bytes, not 5"},
      {":01000001AA54", 4096, 1,
       "end-of-file record has 1 data bytes, not 0"},
      {":0100000201FC\n" + std::string(kEnd), 4096, 1,
       "extended segment address record has 1 data bytes, not 2"},
      {":03000004000000F9\n" + std::string(kEnd), 4096, 1,
       "extended linear address record has 3 data bytes, not 2"},
      {":020000030000FB\n" + std::string(kEnd), 4096, 1,
       "start segment address record has 2 data bytes, not 4"},
      {":03000000020030CB\r\n", 4096, 2, "no end-of-file record"},
      {":03000000020030CB", 4096, 2, "no end-of-file record"},
      {":03000000020030CB\n\n  \n", 4096, 4, "no end-of-file record"},
      {"", 4096, 1, "no end-of-file record"},
  };
  for (const Case& c : cases) {
    ChipImage image;
    image.bytes = {1, 2, 3};
    ImageError error;
    // Bytes beyond the chip are refused when the image is fitted to it.
    if (ParseIntelHex(c.text, c.chip_size, &image, &error)) {
      EXPECT_FALSE(FitImageToChip(&image, c.chip_size, "chip", &error))
          << c.text;
    } else {
      EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), image.bytes)
          << "changed on failure: " << c.text;
    }
    EXPECT_EQ(c.line, error.line) << c.text;
    EXPECT_NE(std::string::npos, error.what.find(c.what))
        << c.text << "\n gave: " << error.what;
  }
}

TEST(ParseIntelHexTest, AcceptedForms) {
  struct Case {
    const char* name;
    std::string text;
    uint32_t chip_size;
    std::map<uint32_t, uint8_t> bytes;  // every other byte is 0xFF
  } cases[] = {
      {"a program, CR LF", ":03000000020030CB\r\n:0500300075816080FEF7\r\n"
                           ":00000001FF\r\n",
       4096,
       {{0x00, 0x02}, {0x01, 0x00}, {0x02, 0x30},
        {0x30, 0x75}, {0x31, 0x81}, {0x32, 0x60}, {0x33, 0x80}, {0x34, 0xFE}}},
      {"LF, lower case, blanks, byte order mark, no final line break",
       "\xEF\xBB\xBF  \n:03000000020030cb \t\n\n:0500300075816080fef7\n"
       ":00000001ff",
       4096,
       {{0x00, 0x02}, {0x01, 0x00}, {0x02, 0x30},
        {0x30, 0x75}, {0x31, 0x81}, {0x32, 0x60}, {0x33, 0x80}, {0x34, 0xFE}}},
      {"only the end record", ":00000001FF\r\n\r\n", 4096, {}},
      {"CR alone ends lines; DOS end-of-file bytes after the end record",
       ":03000000020030CB\r:00000001FF\r\x1A\x1A", 4096,
       {{0x00, 0x02}, {0x01, 0x00}, {0x02, 0x30}}},
      {"the last byte of each chip", ":010FFF005A97\n:00000001FF\n", 4096,
       {{0xFFF, 0x5A}}},
      {"", ":011FFF005A87\n:00000001FF\n", 8192, {{0x1FFF, 0x5A}}},
      {"segment 0010, then linear bank 0 again",
       ":020000020010EC\n:01000000AA55\n:020000040000FA\n:0100000011EE\n"
       ":00000001FF\n",
       4096, {{0x100, 0xAA}, {0x000, 0x11}}},
      {"linear bank 1 on a larger chip",
       ":020000040001F9\n:01000000AA55\n:00000001FF\n", 0x20000,
       {{0x10000, 0xAA}}},
      {"start addresses ignored, empty data record",
       ":0400000300000100F8\n:0400000500000100F6\n:00001000F0\n"
       ":0100000011EE\n:00000001FF\n",
       4096, {{0x000, 0x11}}},
      {"the same data twice", ":01012300419A\n:01012300419A\n:00000001FF\n",
       4096, {{0x123, 0x41}}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> expected(c.chip_size, 0xFF);
    for (const auto& [address, byte] : c.bytes) expected[address] = byte;
    ChipImage image;
    ImageError error;
    EXPECT_TRUE(ParseIntelHex(c.text, c.chip_size, &image, &error))
        << c.name << ": line " << error.line << ": " << error.what;
    EXPECT_EQ(expected, image.bytes) << c.name;
  }
}

TEST(FormatIntelHexTest, RecordsAsCompilersWriteThem) {
  std::vector<uint8_t> image(34, 0xFF);
  for (uint8_t i = 0; i < 16; ++i) image[i] = i;
  image[32] = 0x12;
  image[33] = 0x34;
  EXPECT_EQ(
      ":10000000000102030405060708090A0B0C0D0E0F78\r\n"
      ":02002000123498\r\n"  // 10-1F are all FF
      ":00000001FF\r\n",
      FormatIntelHex(image));
  EXPECT_EQ(":00000001FF\r\n", FormatIntelHex({}));
  // A blank chip still gets a record, so that its file gives bytes.
  EXPECT_EQ(":10000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF00\r\n:00000001FF\r\n",
            FormatIntelHex(std::vector<uint8_t>(4096, 0xFF)));

  // Above 64 KB the bank comes first.
  std::vector<uint8_t> large(0x20001, 0xFF);
  large[0x20000] = 0x11;
  EXPECT_EQ(":020000040002F8\r\n:0100000011EE\r\n:00000001FF\r\n",
            FormatIntelHex(large));
}

}  // namespace
