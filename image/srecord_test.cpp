#include "image/srecord.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "image/record_text.h"

namespace {

// An S-record of `type` with the hex digits `body` (address and data),
// its byte count and checksum worked out.
std::string Rec(char type, const std::string& body) {
  std::vector<uint8_t> bytes;
  std::string what;
  EXPECT_TRUE(DecodeHexBytes(body, &bytes, &what)) << body;
  uint8_t sum = static_cast<uint8_t>(bytes.size() + 1);
  for (uint8_t b : bytes) sum = static_cast<uint8_t>(sum + b);
  std::string out = std::string("S") + type;
  AppendHexByte(&out, static_cast<uint8_t>(bytes.size() + 1));
  out += body;
  AppendHexByte(&out, static_cast<uint8_t>(~sum));
  return out + "\n";
}

const std::string kEnd = Rec('9', "0000");

TEST(ParseSRecordsTest, RefusesWithLineAndReason) {
  struct Case {
    std::string text;
    uint32_t chip_size;
    int line;
    std::string what;
  } cases[] = {
      {"S1050000AABB00\n" + kEnd, 4096, 1,
       "bad checksum: the record sums to 6A, not FF"},
      {"S4030000FC\n" + kEnd, 4096, 1, "record type '4' is not known"},
      {":0100000011EE\n", 4096, 1, "does not start with 'S' but with ':'"},
      {"S\n" + kEnd, 4096, 1, "no record type after 'S'"},
      {"S1\n" + kEnd, 4096, 1, "no byte count"},
      {"S1050000AAB\n" + kEnd, 4096, 1, "odd number of hex digits (9)"},
      {"S1050000AAzz\n" + kEnd, 4096, 1, "non-hex character 'z'"},
      {"S1060000AABB99\n" + kEnd, 4096, 1,
       "record is shorter than its byte count says: 5 bytes after the "
       "count, not 6"},
      {"S10200FD\n" + kEnd, 4096, 1, "S1 record too short for its 2 address"},
      {Rec('1', "1000AA") + kEnd, 4096, 1,
       "byte at address 1000 is beyond the 4096-byte chip"},
      {Rec('2', "001FFF11") + Rec('3', "00002000AA") + kEnd, 8192, 2,
       "byte at address 2000 is beyond the 8192-byte chip"},
      {Rec('1', "012341") + Rec('1', "012342") + kEnd, 4096, 2,
       "address 0123 is given twice with different data (41, then 42)"},
      {Rec('1', "0000AA") + Rec('5', "0002") + kEnd, 4096, 2,
       "S5 record counts 2 data records, but 1 came before it"},
      {Rec('6', "00000011") + kEnd, 4096, 1, "S6 record has 1 data bytes"},
      {Rec('1', "0000AA") + kEnd + Rec('1', "0001BB"), 4096, 3,
       "data after the end record"},
      // Cut short: no end record, and no count after the last data.
      {Rec('0', "0000") + Rec('1', "0000AA") + Rec('1', "0001BB"), 4096, 4,
       "no end record (S7, S8 or S9), nor a count record"},
      {Rec('1', "0000AA") + Rec('5', "0001") + Rec('1', "0001BB"), 4096, 4,
       "the file may be cut short"},
      {"", 4096, 1, "the file may be cut short"},
      {Rec('3', "10000000AA") + Rec('3', "FFFFFFF8AA") + kEnd, 4096, 1,
       "byte at address 10000000 is beyond the 4096-byte chip"},
  };
  for (const Case& c : cases) {
    ChipImage image;
    image.bytes = {1, 2, 3};
    ImageError error;
    // Bytes beyond the chip are refused when the image is fitted to it.
    if (ParseSRecords(c.text, c.chip_size, &image, &error)) {
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

TEST(ParseSRecordsTest, AcceptedForms) {
  struct Case {
    const char* name;
    std::string text;
    std::map<uint32_t, uint8_t> bytes;  // every other byte is 0xFF
  } cases[] = {
      {"header, S1 data, count, S9; lower case and CR LF",
       "S00600004844521B\r\nS1050000aabb95\r\n" + Rec('5', "0001") + kEnd,
       {{0, 0xAA}, {1, 0xBB}}},
      {"S2 and S3 addresses, S8 end",
       Rec('2', "000FFF5A") + Rec('3', "00000010C3") + Rec('8', "000000"),
       {{0xFFF, 0x5A}, {0x10, 0xC3}}},
      {"no end record after a count, as srec_cat writes",
       Rec('1', "0000AA") + Rec('5', "0001"), {{0, 0xAA}}},
      {"S2 and S3 data counted by S5, S3 counted by S6",
       Rec('2', "000001AA") + Rec('3', "00000002BB") + Rec('5', "0002") +
           Rec('3', "00000003CC") + Rec('6', "000003") + kEnd,
       {{1, 0xAA}, {2, 0xBB}, {3, 0xCC}}},
      {"S6 count, S7 end with a start address, DOS end-of-file byte",
       Rec('1', "0001AA") + Rec('6', "000001") + Rec('7', "00000100") + "\x1A",
       {{1, 0xAA}}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> expected(4096, 0xFF);
    for (const auto& [address, byte] : c.bytes) expected[address] = byte;
    ChipImage image;
    ImageError error;
    EXPECT_TRUE(ParseSRecords(c.text, 4096, &image, &error))
        << c.name << ": line " << error.line << ": " << error.what;
    EXPECT_EQ(expected, image.bytes) << c.name;
  }
}

// Records of what is not blank (a blank chip's first: FormatIntelHexTest,
// which shares the choice); what they read back as: image_file_test.
TEST(FormatSRecordsTest, S1RecordsAndS9End) {
  std::vector<uint8_t> image(4096, 0xFF);
  image[0] = 0x02;
  image[0xFFF] = 0x5A;
  EXPECT_EQ("S113000002FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF9\r\n"
            "S1130FF0FFFFFFFFFFFFFFFFFFFFFFFFFFFFFF5AA2\r\n"
            "S9030000FC\r\n",
            FormatSRecords(image));
}

}  // namespace
