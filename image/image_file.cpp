#include "image/image_file.h"

#include <algorithm>

#include "base/format.h"
#include "image/intel_hex.h"

namespace {

bool IsWhitespace(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' ||
         c == '\f';
}

// Intel HEX is plain text starting with ':'; a binary image that happens
// to start with ':' has bytes no text file has.
bool LooksLikeIntelHex(const std::string& contents) {
  size_t at = contents.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  const size_t text = at;
  while (at < contents.size() &&
         IsWhitespace(static_cast<unsigned char>(contents[at])))
    ++at;
  if (at == contents.size() || contents[at] != ':') return false;
  return std::all_of(contents.begin() + text, contents.end(), [](char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 0x20 && u < 0x7F) || IsWhitespace(u);
  });
}

// Reads the file; on failure fills `*error` from the file seam's text.
ImageLoadResult ReadWhole(const FilePath& path, uint64_t max_bytes,
                          std::string* contents, ImageLoadError* error) {
  std::string why;
  const ReadResult read = ReadFileToString(path, contents, max_bytes, &why);
  if (read == ReadResult::kRead) return ImageLoadResult::kLoaded;
  if (error != nullptr) *error = {0, why};
  switch (read) {
    case ReadResult::kNotOpened:
      return ImageLoadResult::kNotOpened;
    case ReadResult::kTooLarge:
      return ImageLoadResult::kTooLarge;
    default:
      return ImageLoadResult::kNotRead;
  }
}

template <typename Char>
bool EndsWithIgnoringCase(const std::basic_string<Char>& name,
                          const char* suffix) {
  const size_t n = std::char_traits<char>::length(suffix);
  if (name.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    Char c = name[name.size() - n + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<Char>(c - 'A' + 'a');
    if (c != static_cast<Char>(suffix[i])) return false;
  }
  return true;
}

}  // namespace

ImageLoadResult LoadRawImage(const FilePath& path, uint32_t max_bytes,
                             ChipImage* image, ImageLoadError* error) {
  std::string contents;
  const ImageLoadResult result = ReadWhole(path, max_bytes, &contents, error);
  if (result != ImageLoadResult::kLoaded) return result;
  image->bytes.assign(contents.begin(), contents.end());
  image->from_hex = false;
  return result;
}

ImageLoadResult LoadImageFile(const FilePath& path, uint32_t chip_size,
                              ChipImage* image, ImageLoadError* error) {
  std::string contents;
  const ImageLoadResult result =
      ReadWhole(path, std::max<uint64_t>(kMaxHexFileBytes, chip_size),
                &contents, error);
  if (result != ImageLoadResult::kLoaded) return result;
  if (LooksLikeIntelHex(contents)) {
    HexError hex_error;
    std::vector<uint8_t> bytes;
    std::vector<int> lines;
    if (!ParseIntelHex(contents, chip_size, &bytes, &hex_error, &lines)) {
      if (error != nullptr) *error = {hex_error.line, hex_error.what};
      return ImageLoadResult::kMalformed;
    }
    image->bytes.swap(bytes);
    image->lines.swap(lines);
    image->from_hex = true;
    return result;
  }
  if (contents.size() > chip_size) {
    if (error != nullptr) {
      *error = {0, Format("larger than %lu bytes",
                          static_cast<unsigned long>(chip_size))};
    }
    return ImageLoadResult::kTooLarge;
  }
  image->bytes.assign(contents.begin(), contents.end());
  image->from_hex = false;
  return result;
}

ImageLoadResult FitImage(ChipImage* image, uint32_t chip_size,
                         ImageLoadError* error) {
  if (!image->from_hex) {
    return image->bytes.size() > chip_size ? ImageLoadResult::kTooLarge
                                           : ImageLoadResult::kLoaded;
  }
  // The first line in the file giving a byte beyond the chip, and the
  // first such byte of that line.
  int line = 0;
  size_t address = 0;
  for (size_t a = chip_size; a < image->lines.size(); ++a) {
    const int at = image->lines[a];
    if (at != 0 && (line == 0 || at < line)) {
      line = at;
      address = a;
    }
  }
  if (line != 0) {
    if (error != nullptr) *error = {line, BeyondChipText(address, chip_size)};
    return ImageLoadResult::kMalformed;
  }
  if (image->bytes.size() > chip_size) {
    image->bytes.resize(chip_size);
    image->lines.resize(chip_size);
  }
  return ImageLoadResult::kLoaded;
}

bool IsHexFileName(const FilePath& path) {
  const auto& name = path.native();
  return EndsWithIgnoringCase(name, ".hex") ||
         EndsWithIgnoringCase(name, ".ihx");
}

SaveResult SaveImageFile(const FilePath& path,
                         const std::vector<uint8_t>& bytes,
                         std::string* error) {
  const std::string contents =
      IsHexFileName(path) ? FormatIntelHex(bytes)
                          : std::string(bytes.begin(), bytes.end());
  return WriteStringToFileSafely(path, contents, error);
}
