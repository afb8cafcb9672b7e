#ifndef TARNWICK_IMAGE_CHIP_IMAGE_H_
#define TARNWICK_IMAGE_CHIP_IMAGE_H_

#include <cstdint>
#include <string>
#include <vector>

// A chip image as read from a file: byte n is chip address n.
struct ChipImage {
  // Raw: the file's own bytes from address 0. Text records (Intel HEX,
  // S-records): the whole chip, 0xFF where the file gives nothing.
  std::vector<uint8_t> bytes;
  bool whole_chip = false;
  // Whole-chip images: for each byte, the 1-based line of the record that
  // gave it, 0 where none did. Empty for raw images.
  std::vector<int> line_of;
  // Whole-chip images: the line of the first record (in the file's order)
  // that gives a byte at or beyond the chip the image was read for, and
  // that byte's address; 0 when none does. Such bytes are not kept, and
  // FitImageToChip refuses the image.
  int beyond_line = 0;
  uint64_t beyond_address = 0;
};

// Why a file is not a usable image, in English: the 1-based line at fault
// in a text file (0 when the fault is not about a line) and what is wrong.
struct ImageError {
  int line = 0;
  std::string what;
};

// Fits an image read for a chip of at least `chip_size` bytes to the part
// `part_name` ("89C51") of `chip_size` bytes: a whole-chip image is cut to
// that size, a raw one must not be larger. False, with *error naming the
// line of the first record (in the file's order) that gives a byte beyond
// the part, and the part, when the image does not fit; the image is then
// unchanged.
bool FitImageToChip(ChipImage* image, uint32_t chip_size,
                    const std::string& part_name, ImageError* error);

#endif  // TARNWICK_IMAGE_CHIP_IMAGE_H_
