#ifndef TARNWICK_IMAGE_IMAGE_FILE_H_
#define TARNWICK_IMAGE_IMAGE_FILE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/file.h"

// A chip image as read from a file: byte n is chip address n.
struct ChipImage {
  std::vector<uint8_t> bytes;  // raw: the file's own length from address 0;
                               // Intel HEX: the whole chip, 0xFF where the
                               // file gives nothing
  bool from_hex = false;
  // Intel HEX: the line that gave each byte, 0 where none did.
  std::vector<int> lines;
};

enum class ImageLoadResult {
  kLoaded,     // *image holds the file's image
  kNotOpened,  // missing, a folder, or not readable
  kTooLarge,   // more bytes than the chip has (or than any HEX file needs)
  kNotRead,    // opened, but reading failed before its end
  kMalformed,  // Intel HEX text that is not a valid image for the chip
};

// Why a load failed, in English. `line` is the 1-based line of a malformed
// Intel HEX file, 0 when the error is not about a line.
struct ImageLoadError {
  int line = 0;
  std::string what;
};

// Intel HEX files larger than this are refused unread; a whole 64 KB chip
// written as HEX takes under 200 KB.
constexpr uint64_t kMaxHexFileBytes = 16 << 20;

// Loads a raw binary image of at most `max_bytes` bytes. On any result but
// kLoaded, `*image` is unchanged and `*error` (when given) says why.
ImageLoadResult LoadRawImage(const FilePath& path, uint32_t max_bytes,
                             ChipImage* image, ImageLoadError* error);

// Loads a raw binary or Intel HEX image for a chip of `chip_size` bytes,
// told apart by content, not by name: Intel HEX when the file (after a
// UTF-8 byte order mark and whitespace, if any) starts with ':' and holds
// only printable ASCII and whitespace; raw otherwise. A raw file larger
// than the chip is kTooLarge. Reads the file and nothing else. On any
// result but kLoaded, `*image` is unchanged and `*error` (when given) says
// why.
ImageLoadResult LoadImageFile(const FilePath& path, uint32_t chip_size,
                              ChipImage* image, ImageLoadError* error);

// Fits an image loaded for a larger chip to one of `chip_size` bytes: a
// raw image must be no longer (kTooLarge); an Intel HEX image must give no
// byte at or above it (kMalformed, with the first line that does, as
// loading it for that chip would have said) and is cut to it. On any
// result but kLoaded, `*image` is unchanged.
ImageLoadResult FitImage(ChipImage* image, uint32_t chip_size,
                         ImageLoadError* error);

// True when the name ends in ".hex" or ".ihx", in any case.
bool IsHexFileName(const FilePath& path);

// Saves `bytes` at `path` as Intel HEX when IsHexFileName(path), raw
// otherwise, replacing any file there only once the whole image is written
// (WriteStringToFileSafely). `*error`, when given, says why it failed.
SaveResult SaveImageFile(const FilePath& path,
                         const std::vector<uint8_t>& bytes,
                         std::string* error);

#endif  // TARNWICK_IMAGE_IMAGE_FILE_H_
