#ifndef TARNWICK_IMAGE_INTEL_HEX_H_
#define TARNWICK_IMAGE_INTEL_HEX_H_

#include <cstdint>
#include <string>
#include <vector>

#include "image/chip_image.h"

// Reads Intel HEX text as 8051 compilers write it into a whole chip image:
// on success `*image` holds exactly `chip_size` bytes, 0xFF wherever the
// text gives none, and the line that gave each byte. Takes data (00) and end-of-file (01) records, extended
// segment (02) and extended linear (04) address records, and ignores start
// address records (03, 05). Lines are split as TextLines does (LF, CR LF or
// CR; a UTF-8 byte order mark at the start and DOS end-of-file bytes at the
// end dropped); blank lines, blanks around a record and hex digits of
// either case are accepted. Bytes at or above `chip_size` are not kept:
// image->beyond_line names the first record giving one (FitImageToChip
// refuses the image, naming the part). Refused, with the line and what is
// wrong: a line not starting with ':', a character that is not a hex
// digit, an odd number of digits, a length that does not match the byte
// count (or the record type), a bad checksum, an unknown record type, an
// address given twice with different data, anything but blank lines after
// the end-of-file record, and a missing end-of-file record (its line is
// the one after the last). On failure `*image` is unchanged. Takes time
// linear in the text's length and `chip_size`.
bool ParseIntelHex(const std::string& text, uint32_t chip_size,
                   ChipImage* image, ImageError* error);

// The image as Intel HEX: data records of 16 bytes (BlocksToWrite) in
// upper-case hex with CR LF line ends, an extended linear address record
// before the first record of each 64 KB bank above the first, and the
// end-of-file record ":00000001FF". ParseIntelHex with the image's size
// gives the image back.
std::string FormatIntelHex(const std::vector<uint8_t>& image);

#endif  // TARNWICK_IMAGE_INTEL_HEX_H_
