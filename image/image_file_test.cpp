#include "image/image_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "testing/files.h"

namespace {

namespace fs = std::filesystem;

constexpr char kProgramHex[] =
    ":03000000020030CB\r\n:0500300075816080FEF7\r\n:00000001FF\r\n";
constexpr char kProgramS19[] =
    "S1060000020030C7\r\nS108003075816080FEF3\r\nS9030000FC\r\n";

std::vector<uint8_t> Bytes(const std::string& s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}

// The chip both program files describe.
std::vector<uint8_t> ProgramImage(uint32_t chip_size) {
  std::vector<uint8_t> image(chip_size, 0xFF);
  const uint8_t start[] = {0x02, 0x00, 0x30};
  const uint8_t main[] = {0x75, 0x81, 0x60, 0x80, 0xFE};
  std::copy(std::begin(start), std::end(start), image.begin());
  std::copy(std::begin(main), std::end(main), image.begin() + 0x30);
  return image;
}

// Which format a file is read as: the name first, the content for other
// names, --format over both; text is never raw unless --format raw says so.
TEST(ParseImageTest, FormatByNameContentAndChoice) {
  const std::string binary_colon = std::string(":0300\x00\x80", 7);
  const std::string ctrl_z_hex =
      ":0100000011EE\r\n:00000001FF\r\n\x1A";  // a DOS tool's end
  std::vector<uint8_t> ctrl_z_image(4096, 0xFF);
  ctrl_z_image[0] = 0x11;
  const auto malformed = ImageLoadResult::kMalformed;
  struct Case {
    const char* name;
    ImageFormat format;
    std::string contents;
    ImageLoadResult result;
    std::vector<uint8_t> bytes;  // when loaded
    std::string what;            // when refused: part of the reason
  } cases[] = {
      {"p.hex", ImageFormat::kAuto, kProgramHex, ImageLoadResult::kLoaded,
       ProgramImage(4096), ""},
      {"p.S19", ImageFormat::kAuto, kProgramS19, ImageLoadResult::kLoaded,
       ProgramImage(4096), ""},
      {"p.txt", ImageFormat::kAuto, std::string("\xEF\xBB\xBF\r\n ") +
       kProgramS19, ImageLoadResult::kLoaded, ProgramImage(4096), ""},
      // Text named as raw is still read as records, a DOS end included.
      {"z.bin", ImageFormat::kAuto, ctrl_z_hex, ImageLoadResult::kLoaded,
       ctrl_z_image, ""},
      {"p.bin", ImageFormat::kAuto, kProgramHex, ImageLoadResult::kLoaded,
       ProgramImage(4096), ""},
      {"p.bin", ImageFormat::kRaw, kProgramHex, ImageLoadResult::kLoaded,
       Bytes(kProgramHex), ""},
      {"p.hex", ImageFormat::kSRecord, kProgramHex, malformed, {},
       "does not start with 'S' but with ':'"},
      {"p.s19", ImageFormat::kAuto, kProgramHex, malformed, {},
       "does not start with 'S'"},
      {"raw.hex", ImageFormat::kAuto, std::string("\x02\x00\x30", 3),
       malformed, {}, "does not start with ':' but with byte 02"},
      {"colon.dat", ImageFormat::kAuto, binary_colon,
       ImageLoadResult::kLoaded, Bytes(binary_colon), ""},
      {"notes.bin", ImageFormat::kAuto, "firmware 1.2 \xE4\xB8\xAD\n",
       malformed, {}, "a text file, but neither Intel HEX"},
      {"empty.bin", ImageFormat::kAuto, "", malformed, {}, "empty"},
      {"blank.hex", ImageFormat::kAuto, ":00000001FF\n", malformed, {},
       "give no bytes"},
      {"full.img", ImageFormat::kAuto, std::string(4096, '\x01'),
       ImageLoadResult::kLoaded, std::vector<uint8_t>(4096, 0x01), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ChipImage image;
    image.bytes = {1, 2, 3};
    ImageError error;
    EXPECT_EQ(c.result,
              ParseImage(c.contents, c.name, c.format, 4096, &image, &error))
        << error.what;
    if (c.result == ImageLoadResult::kLoaded) {
      EXPECT_TRUE(c.bytes == image.bytes);
    } else {
      EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), image.bytes);
      EXPECT_NE(std::string::npos, error.what.find(c.what)) << error.what;
    }
  }
}

// Bytes beyond the part in use are told with the line of the first record
// (in the file's order) that gives one, and the part. (How far beyond:
// intel_hex_test and srecord_test.)
TEST(FitImageToChipTest, TellsTheFirstRecordBeyondThePart) {
  const struct {
    std::string text;
    int line;
    const char* what;
  } cases[] = {
      {":0100000011EE\n:011800002BBC\n:01100000AA45\n:00000001FF\n", 2,
       "byte at address 1800 is beyond the 4096-byte 89C51"},
      {":01100000AA45\n:020000040001F9\n:0100000011EE\n:00000001FF\n", 1,
       "byte at address 1000 is beyond"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ChipImage image;
    ImageError error;
    ASSERT_EQ(ImageLoadResult::kLoaded,
              ParseImage(c.text, "", ImageFormat::kAuto, 8192, &image,
                         &error))
        << error.what;
    const ChipImage loaded = image;
    EXPECT_FALSE(FitImageToChip(&image, 4096, "89C51", &error));
    EXPECT_EQ(c.line, error.line);
    EXPECT_NE(std::string::npos, error.what.find(c.what)) << error.what;
    EXPECT_TRUE(loaded.bytes == image.bytes);
  }
  ChipImage image;
  ImageError error;
  ASSERT_EQ(ImageLoadResult::kLoaded,
            ParseImage(cases[0].text, "a.hex", ImageFormat::kAuto, 8192,
                       &image, &error));
  EXPECT_TRUE(FitImageToChip(&image, 8192, "89C52", &error));
  EXPECT_EQ(8192u, image.bytes.size());

  ChipImage raw;
  raw.bytes.assign(4097, 0x01);
  EXPECT_FALSE(FitImageToChip(&raw, 4096, "89C51", &error));
  EXPECT_EQ("4097 bytes do not fit the 4096-byte 89C51", error.what);
  EXPECT_EQ(0, error.line);
}

// Both text formats, both ways, against srec_cat (srecord), a tool written
// elsewhere: what it writes we read, and what we write it reads.
TEST(ImageFileTest, AgreesWithSrecCat) {
  const fs::path dir = FreshDir("image_srec_cat");
  std::vector<uint8_t> image(8192, 0xFF);
  for (uint32_t a = 0; a < image.size(); a += 7) image[a] = a * 13 % 251;
  Spill(dir / "chip.bin", std::string(image.begin(), image.end()));
  for (const auto& [ext, srec_format] :
       {std::pair<const char*, const char*>{"s19", "-motorola"},
        {"hex", "-intel"}}) {
    SCOPED_TRACE(ext);
    const fs::path theirs = dir / (std::string("theirs.") + ext);
    const std::string to_text = "srec_cat " + (dir / "chip.bin").string() +
                                " -binary -o " + theirs.string() + " " +
                                srec_format + " 2>&1";
    ASSERT_EQ(0, std::system(to_text.c_str())) << to_text;
    ChipImage read;
    ImageError error;
    ASSERT_EQ(ImageLoadResult::kLoaded,
              LoadImageFile(theirs, ImageFormat::kAuto, 8192, &read, &error))
        << error.line << ": " << error.what;
    EXPECT_TRUE(read.bytes == image);

    const fs::path ours = dir / (std::string("ours.") + ext);
    std::string why;
    ASSERT_EQ(SaveResult::kSaved,
              SaveImageFile(ours, ImageFormat::kAuto, image, &why));
    const fs::path back = dir / (std::string("back.") + ext + ".bin");
    const std::string to_binary = "srec_cat " + ours.string() + " " +
                                  srec_format + " -fill 0xFF 0 8192 -o " +
                                  back.string() + " -binary 2>&1";
    ASSERT_EQ(0, std::system(to_binary.c_str())) << to_binary;
    EXPECT_TRUE(Bytes(Slurp(back)) == image);
  }
}

}  // namespace
