#include "image/image_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr char kProgramHex[] =
    ":03000000020030CB\r\n:0500300075816080FEF7\r\n:00000001FF\r\n";

// A fresh, empty folder for one test.
fs::path FreshDir(const char* name) {
  const fs::path dir = fs::path(::testing::TempDir()) / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> Bytes(const std::string& s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}

// The chip kProgramHex describes.
std::vector<uint8_t> ProgramImage(uint32_t chip_size) {
  std::vector<uint8_t> image(chip_size, 0xFF);
  const uint8_t start[] = {0x02, 0x00, 0x30};
  const uint8_t main[] = {0x75, 0x81, 0x60, 0x80, 0xFE};
  std::copy(std::begin(start), std::end(start), image.begin());
  std::copy(std::begin(main), std::end(main), image.begin() + 0x30);
  return image;
}

TEST(LoadImageFileTest, RawOrHexByContent) {
  const fs::path dir = FreshDir("image_load");
  const std::string binary_colon = std::string(":0300\x00\x80", 7);
  struct Case {
    const char* name;
    std::string contents;
    uint32_t chip_size;
    ImageLoadResult result;
    bool from_hex;
    std::vector<uint8_t> bytes;
    int line;
    std::string what;
  } cases[] = {
      {"prog.bin", kProgramHex, 4096, ImageLoadResult::kLoaded, true,
       ProgramImage(4096), 0, ""},
      {"prog.txt", std::string("\xEF\xBB\xBF\r\n  ") + kProgramHex, 8192,
       ImageLoadResult::kLoaded, true, ProgramImage(8192), 0, ""},
      {"raw.hex", std::string("\x02\x00\x30", 3), 4096,
       ImageLoadResult::kLoaded, false, {0x02, 0x00, 0x30}, 0, ""},
      {"colon.bin", binary_colon, 4096, ImageLoadResult::kLoaded, false,
       Bytes(binary_colon), 0, ""},
      {"text.bin", "hello\n", 4096, ImageLoadResult::kLoaded, false,
       Bytes("hello\n"), 0, ""},
      {"empty.bin", "", 4096, ImageLoadResult::kLoaded, false, {}, 0, ""},
      {"full.bin", std::string(4096, '\x5A'), 4096, ImageLoadResult::kLoaded,
       false, std::vector<uint8_t>(4096, 0x5A), 0, ""},
      {"over.bin", std::string(4097, '\x5A'), 4096,
       ImageLoadResult::kTooLarge, false, {}, 0, "larger than 4096 bytes"},
      {"bad.hex", ":03000000020030CB\n:01100000AA45\n:00000001FF\n", 4096,
       ImageLoadResult::kMalformed, false, {}, 2,
       "byte at address 1000 is beyond the 4096-byte chip"},
      {"huge.hex", ":" + std::string(kMaxHexFileBytes, ' '), 4096,
       ImageLoadResult::kTooLarge, false, {}, 0, "larger than 16777216 bytes"},
  };
  for (const Case& c : cases) {
    Write(dir / c.name, c.contents);
    ChipImage image;
    image.bytes = {1, 2, 3};
    ImageLoadError error;
    EXPECT_EQ(c.result, LoadImageFile(dir / c.name, c.chip_size, &image,
                                      &error))
        << c.name << ": line " << error.line << ": " << error.what;
    if (c.result == ImageLoadResult::kLoaded) {
      EXPECT_EQ(c.from_hex, image.from_hex) << c.name;
      EXPECT_TRUE(c.bytes == image.bytes) << c.name;
    } else {
      EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), image.bytes) << c.name;
      EXPECT_EQ(c.line, error.line) << c.name;
      EXPECT_EQ(c.what, error.what) << c.name;
    }
  }

  ChipImage image;
  ImageLoadError error;
  EXPECT_EQ(ImageLoadResult::kNotOpened,
            LoadImageFile(dir / "missing.hex", 4096, &image, &error));
  EXPECT_EQ("No such file or directory", error.what);
  EXPECT_EQ(0, error.line);
  EXPECT_EQ(ImageLoadResult::kNotOpened,
            LoadImageFile(dir, 4096, &image, &error));
  EXPECT_EQ("is a folder", error.what);
}

TEST(LoadRawImageTest, NeverReadsHex) {
  const fs::path dir = FreshDir("image_raw");
  Write(dir / "prog.hex", kProgramHex);
  ChipImage image;
  image.from_hex = true;
  ImageLoadError error;
  EXPECT_EQ(ImageLoadResult::kLoaded,
            LoadRawImage(dir / "prog.hex", 4096, &image, &error));
  EXPECT_EQ(Bytes(kProgramHex), image.bytes);
  EXPECT_FALSE(image.from_hex);

  EXPECT_EQ(ImageLoadResult::kTooLarge,
            LoadRawImage(dir / "prog.hex", 10, &image, &error));
  EXPECT_EQ("larger than 10 bytes", error.what);
  EXPECT_EQ(Bytes(kProgramHex), image.bytes);
  EXPECT_EQ(ImageLoadResult::kNotOpened,
            LoadRawImage(dir / "missing.bin", 4096, &image, &error));
}

TEST(ImageFileNameTest, HexByEnding) {
  for (const char* name : {"a.hex", "A.HEX", "b.Ihx", "dir/c.iHx", ".hex"})
    EXPECT_TRUE(IsHexFileName(name)) << name;
  for (const char* name : {"a.bin", "a.hex.bin", "a.hexx", "ahex", "a.hx",
                           "dir.hex/a.bin", ""})
    EXPECT_FALSE(IsHexFileName(name)) << name;
}

TEST(SaveImageFileTest, HexOrRawByNameAndLoadsBack) {
  const fs::path dir = FreshDir("image_save");
  std::vector<uint8_t> image = ProgramImage(4096);
  std::string error;
  for (const char* name : {"prog.HEX", "prog.ihx"}) {
    ASSERT_EQ(SaveResult::kSaved, SaveImageFile(dir / name, image, &error));
    EXPECT_EQ(
        ":10000000020030FFFFFFFFFFFFFFFFFFFFFFFFFFCB\r\n"
        ":1000300075816080FEFFFFFFFFFFFFFFFFFFFFFFF7\r\n"
        ":00000001FF\r\n",
        Slurp(dir / name));
    ChipImage loaded;
    ImageLoadError load_error;
    ASSERT_EQ(ImageLoadResult::kLoaded,
              LoadImageFile(dir / name, 4096, &loaded, &load_error));
    EXPECT_TRUE(loaded.from_hex);
    EXPECT_TRUE(image == loaded.bytes);
  }
  image.resize(100);
  ASSERT_EQ(SaveResult::kSaved, SaveImageFile(dir / "prog.bin", image, &error));
  EXPECT_EQ(std::string(image.begin(), image.end()), Slurp(dir / "prog.bin"));

  EXPECT_EQ(SaveResult::kNotCreated,
            SaveImageFile(dir / "no-such-dir" / "a.hex", image, &error));
  EXPECT_EQ("No such file or directory", error);
}

}  // namespace
