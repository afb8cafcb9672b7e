#ifndef TARNWICK_IMAGE_CHECKSUM_H_
#define TARNWICK_IMAGE_CHECKSUM_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/chip_image.h"

// SUM16: the bytes' sum modulo 65536, the checksum printed on labels and in
// file names. `sum` continues an earlier sum.
uint16_t Sum16(const uint8_t* bytes, size_t n, uint16_t sum = 0);

// CRC-32 as zlib computes it (IEEE, reflected, initial and final value
// FFFFFFFF). `crc` continues an earlier CRC (0 to start).
uint32_t Crc32(const uint8_t* bytes, size_t n, uint32_t crc = 0);

// What an image file gives and what it makes of a chip.
struct ImageChecksums {
  uint32_t chip_size = 0;    // the part's bytes the chip image covers
  uint32_t bytes_given = 0;  // bytes the file gives below chip_size
  uint32_t first = 0;        // lowest and highest address given; both 0
  uint32_t last = 0;         // when none is
  uint16_t sum16 = 0;        // SUM16 of the chip image
  uint32_t crc32 = 0;        // CRC-32 of the chip image
  uint16_t file_sum16 = 0;   // SUM16 of the bytes the file gives
};

// The checksums of `image` as a chip of `chip_size` bytes holds it: bytes
// the file does not give, or gives at or beyond chip_size, count as FF.
ImageChecksums ChecksumsOf(const ChipImage& image, uint32_t chip_size);

// Upper-case hexadecimal, as labels show them: "1A2B", "0DF1A2B3".
std::string Sum16Text(uint16_t sum);
std::string Crc32Text(uint32_t crc);

#endif  // TARNWICK_IMAGE_CHECKSUM_H_
