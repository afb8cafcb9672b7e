#ifndef TARNWICK_IMAGE_IMAGE_FILE_H_
#define TARNWICK_IMAGE_IMAGE_FILE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/file.h"
#include "image/chip_image.h"

// The formats of image files.
enum class ImageFormat {
  kAuto,      // not said: told from the name, then from the content
  kIntelHex,  // Intel HEX
  kSRecord,   // Motorola S-records
  kRaw,       // the bytes of the chip from address 0, nothing else
};

// The format a file's name says, in any case: .hex, .ihx, .ihex Intel HEX;
// .s19, .s28, .s37, .srec, .mot S-records; .bin, .raw, .img raw; kAuto for
// any other name.
ImageFormat ImageFormatOfName(const FilePath& path);

enum class ImageLoadResult {
  kLoaded,     // *image holds the file's image
  kNotOpened,  // missing, a folder, or not readable
  kTooLarge,   // more bytes than the chip has (or than any text file needs)
  kNotRead,    // opened, but reading failed before its end
  kMalformed,  // not a usable image: bad records, text of no known format,
               // or no bytes at all
};

// Text files larger than this are refused unread; a whole 64 KB chip
// written as Intel HEX takes under 200 KB.
constexpr uint64_t kMaxTextImageBytes = 16 << 20;

// The most bytes an image file (or standard input) for a chip of
// `chip_size` bytes may hold: kMaxTextImageBytes, or the chip's size.
uint64_t ImageFileLimit(uint32_t chip_size);

// Loads a raw binary image of at most `max_bytes` bytes, whatever it holds
// (the desktop program's files). On any result but kLoaded, `*image` is
// unchanged and `*error` (when given) says why.
ImageLoadResult LoadRawImage(const FilePath& path, uint32_t max_bytes,
                             ChipImage* image, ImageError* error);

// Reads an image for a chip of `chip_size` bytes from `contents`, a file
// named `name`. The format is `format` when that is not kAuto, else the
// one the name says, else the content's: a text file (printable characters,
// UTF-8 included, and line ends only, with a byte order mark and DOS
// end-of-file bytes allowed) is Intel HEX when its first character is ':',
// S-records when it is 'S', and refused otherwise; anything else is raw.
// A text file is never taken as raw unless `format` is kRaw, whatever its
// name. A file with no bytes, or records giving none, is refused. A raw
// image is taken whatever its length, and records giving bytes beyond
// `chip_size` are noted in the image: FitImageToChip checks it against the
// chip in the socket. On any result but kLoaded,
// `*image` is unchanged and `*error` says why (with the line for text).
// `*taken`, when given, gets the format the file was read as (never kAuto).
ImageLoadResult ParseImage(const std::string& contents, const FilePath& name,
                           ImageFormat format, uint32_t chip_size,
                           ChipImage* image, ImageError* error,
                           ImageFormat* taken = nullptr);

// Reads the file at `path` and parses it as ParseImage does.
ImageLoadResult LoadImageFile(const FilePath& path, ImageFormat format,
                              uint32_t chip_size, ChipImage* image,
                              ImageError* error,
                              ImageFormat* taken = nullptr);

// `bytes` written as a file of `format` (kAuto: raw).
std::string FormatImage(const std::vector<uint8_t>& bytes,
                        ImageFormat format);

// Saves `bytes` at `path` in `format`, or the one the name says when that
// is kAuto (raw when it says none), replacing any file there only once the
// whole image is written (WriteStringToFileSafely). `*error`, when given,
// says why it failed.
SaveResult SaveImageFile(const FilePath& path, ImageFormat format,
                         const std::vector<uint8_t>& bytes,
                         std::string* error);

#endif  // TARNWICK_IMAGE_IMAGE_FILE_H_
