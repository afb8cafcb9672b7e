#include "production/serial_number.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SerialNumberTest, ParsesAreasAndNamesWhatIsWrong) {
  SerialArea area;
  std::string why;
  ASSERT_TRUE(ParseSerialArea("7ff0,4,BCD", &area, &why)) << why;
  EXPECT_EQ("7FF0,4,bcd", SerialAreaText(area));
  ASSERT_TRUE(ParseSerialArea("0x10,19,ascii", &area, &why)) << why;
  EXPECT_EQ("10,19,ascii", SerialAreaText(area));
  const char* bad[][2] = {
      {"10,4", "expected ADDR,SIZE,FORMAT"},
      {"10,4,le,1", "expected ADDR,SIZE,FORMAT"},
      {"1G,2,le", "address \"1G\""},
      {"10000,2,le", "address \"10000\""},
      {"10,2,hex", "format \"hex\""},
      {"10,0,le", "size \"0\" is not 1 to 8 bytes for le"},
      {"10,9,bcd", "size \"9\" is not 1 to 8 bytes for bcd"},
      {"10,20,ascii", "size \"20\" is not 1 to 19"},
      {"10,-1,be", "size \"-1\""},
  };
  for (const auto& c : bad) {
    EXPECT_FALSE(ParseSerialArea(c[0], &area, &why)) << c[0];
    EXPECT_NE(std::string::npos, why.find(c[1])) << c[0] << ": " << why;
  }
}

// Each format at the edges of what its size holds.
TEST(SerialNumberTest, EncodesEachFormatOrRefusesWhatDoesNotFit) {
  const struct {
    SerialFormat format;
    uint32_t size;
    uint64_t number;
    std::vector<uint8_t> bytes;  // empty: does not fit
  } cases[] = {
      {SerialFormat::kLittleEndian, 2, 0x1234, {0x34, 0x12}},
      {SerialFormat::kLittleEndian, 1, 255, {0xFF}},
      {SerialFormat::kLittleEndian, 1, 256, {}},
      {SerialFormat::kLittleEndian, 8, UINT64_MAX, std::vector<uint8_t>(8, 0xFF)},
      {SerialFormat::kBigEndian, 3, 0x010203, {0x01, 0x02, 0x03}},
      {SerialFormat::kBigEndian, 2, 0x10000, {}},
      {SerialFormat::kBcd, 2, 1017, {0x10, 0x17}},
      {SerialFormat::kBcd, 1, 99, {0x99}},
      {SerialFormat::kBcd, 1, 100, {}},
      {SerialFormat::kAscii, 5, 42, {'0', '0', '0', '4', '2'}},
      {SerialFormat::kAscii, 3, 1000, {}},
      {SerialFormat::kAscii, 19, 9999999999999999999ull,
       std::vector<uint8_t>(19, '9')},
  };
  for (const auto& c : cases) {
    const SerialArea area{0x40, c.size, c.format};
    std::vector<uint8_t> bytes = {0xAA};
    EXPECT_EQ(!c.bytes.empty(), EncodeSerial(area, c.number, &bytes))
        << SerialAreaText(area) << " " << c.number;
    EXPECT_EQ(c.bytes.empty() ? std::vector<uint8_t>{0xAA} : c.bytes, bytes)
        << SerialAreaText(area) << " " << c.number;
    EXPECT_EQ(c.bytes.empty(), c.number > LargestSerial(area));
  }
}

TEST(SerialNumberTest, AreaMustBeInsideThePartAndBlankInTheImage) {
  std::vector<uint8_t> image(0x20, 0xFF);  // a raw image shorter than 4 KB
  image[0x12] = 0x00;
  std::string why;
  EXPECT_TRUE(CheckSerialArea({0xFFC, 4, SerialFormat::kBcd}, image, 4096,
                              &why));
  EXPECT_FALSE(CheckSerialArea({0xFFD, 4, SerialFormat::kBcd}, image, 4096,
                               &why));
  EXPECT_EQ("the serial area 0FFD-1000 is outside the 4096-byte part", why);
  EXPECT_TRUE(CheckSerialArea({0x13, 2, SerialFormat::kLittleEndian}, image,
                              4096, &why));
  EXPECT_FALSE(CheckSerialArea({0x10, 4, SerialFormat::kLittleEndian}, image,
                               4096, &why));
  EXPECT_NE(std::string::npos, why.find("(00 at 0012)")) << why;

  // A serial past the image's end grows it with FF.
  ASSERT_TRUE(PutSerial({0x22, 2, SerialFormat::kBigEndian}, 0xBEEF, &image));
  ASSERT_EQ(0x24u, image.size());
  EXPECT_EQ(0xFF, image[0x20]);
  EXPECT_EQ(0xBE, image[0x22]);
  EXPECT_EQ(0xEF, image[0x23]);
  EXPECT_FALSE(PutSerial({0x30, 1, SerialFormat::kBcd}, 100, &image));
  EXPECT_EQ(0x24u, image.size());
}

}  // namespace
