#include "image/image_file.h"

#include <algorithm>

#include "base/format.h"
#include "image/intel_hex.h"
#include "image/srecord.h"

namespace {

bool IsLineSpace(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' ||
         c == '\f';
}

// Length of the UTF-8 sequence of a character above ASCII starting at
// `at`, 0 when it is not one.
size_t Utf8Length(const std::string& s, size_t at) {
  const unsigned char lead = static_cast<unsigned char>(s[at]);
  const size_t n = lead >= 0xC2 && lead <= 0xDF   ? 2
                   : lead >= 0xE0 && lead <= 0xEF ? 3
                   : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                  : 0;
  if (n == 0 || at + n > s.size()) return 0;
  for (size_t i = 1; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(s[at + i]);
    if (c < 0x80 || c > 0xBF) return 0;
  }
  return n;
}

// Text: printable characters (UTF-8 included) and line ends only, after a
// byte order mark and before DOS end-of-file bytes.
bool IsText(const std::string& contents) {
  size_t at = contents.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  size_t end = contents.size();
  while (end > at && contents[end - 1] == '\x1A') --end;
  while (at < end) {
    const unsigned char c = static_cast<unsigned char>(contents[at]);
    if ((c >= 0x20 && c < 0x7F) || IsLineSpace(c)) {
      ++at;
      continue;
    }
    const size_t n = c >= 0x80 ? Utf8Length(contents, at) : 0;
    if (n == 0 || at + n > end) return false;
    at += n;
  }
  return true;
}

// The first character of a text that is not a blank or a byte order mark,
// with its line; '\0' when there is none.
char FirstCharacter(const std::string& text, int* line) {
  *line = 1;
  for (size_t at = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
       at < text.size(); ++at) {
    const char c = text[at];
    if (c == '\n' || (c == '\r' && (at + 1 == text.size() ||
                                    text[at + 1] != '\n'))) {
      ++*line;
    } else if (!IsLineSpace(static_cast<unsigned char>(c)) && c != '\x1A') {
      return c;
    }
  }
  return '\0';
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

// Reads the file; on failure fills `*error` from the file seam's text.
ImageLoadResult ReadWhole(const FilePath& path, uint64_t max_bytes,
                          std::string* contents, ImageError* error) {
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

ImageLoadResult Refuse(ImageLoadResult result, int line,
                       const std::string& what, ImageError* error) {
  *error = {line, what};
  return result;
}

}  // namespace

ImageFormat ImageFormatOfName(const FilePath& path) {
  const auto& name = path.native();
  for (const char* suffix : {".hex", ".ihx", ".ihex"})
    if (EndsWithIgnoringCase(name, suffix)) return ImageFormat::kIntelHex;
  for (const char* suffix : {".s19", ".s28", ".s37", ".srec", ".mot"})
    if (EndsWithIgnoringCase(name, suffix)) return ImageFormat::kSRecord;
  for (const char* suffix : {".bin", ".raw", ".img"})
    if (EndsWithIgnoringCase(name, suffix)) return ImageFormat::kRaw;
  return ImageFormat::kAuto;
}

uint64_t ImageFileLimit(uint32_t chip_size) {
  return std::max<uint64_t>(kMaxTextImageBytes, chip_size);
}

ImageLoadResult LoadRawImage(const FilePath& path, uint32_t max_bytes,
                             ChipImage* image, ImageError* error) {
  std::string contents;
  const ImageLoadResult result = ReadWhole(path, max_bytes, &contents, error);
  if (result != ImageLoadResult::kLoaded) return result;
  *image = ChipImage();
  image->bytes.assign(contents.begin(), contents.end());
  return result;
}

ImageLoadResult ParseImage(const std::string& contents, const FilePath& name,
                           ImageFormat format, uint32_t chip_size,
                           ChipImage* image, ImageError* error,
                           ImageFormat* taken) {
  if (contents.empty())
    return Refuse(ImageLoadResult::kMalformed, 0, "the file is empty", error);
  ImageFormat chosen =
      format == ImageFormat::kAuto ? ImageFormatOfName(name) : format;
  // Text goes to the record readers unless --format raw asks for its bytes,
  // whatever the file's name: a wrong file must not burn ASCII into a chip.
  if (IsText(contents) && format != ImageFormat::kRaw &&
      chosen != ImageFormat::kIntelHex && chosen != ImageFormat::kSRecord) {
    int line = 0;
    const char first = FirstCharacter(contents, &line);
    if (first == ':') {
      chosen = ImageFormat::kIntelHex;
    } else if (first == 'S') {
      chosen = ImageFormat::kSRecord;
    } else {
      return Refuse(ImageLoadResult::kMalformed, first == '\0' ? 0 : line,
                    first == '\0'
                        ? "the file holds only blanks"
                        : "a text file, but neither Intel HEX (lines "
                          "starting with ':') nor S-records ('S'); "
                          "--format raw takes its bytes as they are",
                    error);
    }
  }
  ChipImage parsed;
  ImageError why;
  switch (chosen) {
    case ImageFormat::kIntelHex:
      if (!ParseIntelHex(contents, chip_size, &parsed, &why))
        return Refuse(ImageLoadResult::kMalformed, why.line, why.what, error);
      break;
    case ImageFormat::kSRecord:
      if (!ParseSRecords(contents, chip_size, &parsed, &why))
        return Refuse(ImageLoadResult::kMalformed, why.line, why.what, error);
      break;
    default:
      parsed.bytes.assign(contents.begin(), contents.end());
  }
  if (parsed.whole_chip && parsed.beyond_line == 0 &&
      std::all_of(parsed.line_of.begin(), parsed.line_of.end(),
                  [](int line) { return line == 0; })) {
    return Refuse(ImageLoadResult::kMalformed, 0,
                  "its records give no bytes", error);
  }
  *image = std::move(parsed);
  if (taken != nullptr)
    *taken = chosen == ImageFormat::kAuto ? ImageFormat::kRaw : chosen;
  return ImageLoadResult::kLoaded;
}

ImageLoadResult LoadImageFile(const FilePath& path, ImageFormat format,
                              uint32_t chip_size, ChipImage* image,
                              ImageError* error, ImageFormat* taken) {
  std::string contents;
  const ImageLoadResult result =
      ReadWhole(path, ImageFileLimit(chip_size), &contents, error);
  if (result != ImageLoadResult::kLoaded) return result;
  return ParseImage(contents, path, format, chip_size, image, error, taken);
}

std::string FormatImage(const std::vector<uint8_t>& bytes,
                        ImageFormat format) {
  switch (format) {
    case ImageFormat::kIntelHex:
      return FormatIntelHex(bytes);
    case ImageFormat::kSRecord:
      return FormatSRecords(bytes);
    default:
      return std::string(bytes.begin(), bytes.end());
  }
}

SaveResult SaveImageFile(const FilePath& path, ImageFormat format,
                         const std::vector<uint8_t>& bytes,
                         std::string* error) {
  if (format == ImageFormat::kAuto) format = ImageFormatOfName(path);
  return WriteStringToFileSafely(path, FormatImage(bytes, format), error);
}
