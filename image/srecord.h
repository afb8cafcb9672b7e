#ifndef TARNWICK_IMAGE_SRECORD_H_
#define TARNWICK_IMAGE_SRECORD_H_

#include <cstdint>
#include <string>
#include <vector>

#include "image/chip_image.h"

// Reads Motorola S-record text into a whole chip image: on success `*image`
// holds exactly `chip_size` bytes, 0xFF wherever the text gives none, and
// the line that gave each byte. Takes S0 (header, ignored), S1/S2/S3 data
// with 16/24/32-bit addresses, S5/S6 record counts (checked against the
// data records before them) and at most one S7/S8/S9 end record (its start
// address ignored). A file must end with an end record, or with a count
// record after its last data record (srec_cat leaves the end record out
// when it knows no start address): anything else may be cut short. Lines
// are split and trimmed as TextLines does. Bytes at or above `chip_size`
// are not kept: image->beyond_line names the first record giving one
// (FitImageToChip refuses the image). Refused, with the line and what is
// wrong: a line not starting with 'S', an unknown record type, a character
// that is not a hex digit, an odd number of digits, a length that does not
// match the byte count or is too short for the type's address, a bad
// checksum, a wrong record count, an address given twice with different
// data, anything but blank lines after the end record, and a file that
// ends with neither an end record nor a count of its data (the line after
// the last). On failure `*image` is unchanged.
bool ParseSRecords(const std::string& text, uint32_t chip_size,
                   ChipImage* image, ImageError* error);

// The image as S-records: S1 data records of 16 bytes (BlocksToWrite; S2
// for an image above 64 KB) in upper-case hex with CR LF line ends, then
// the end record (S9, or S8). ParseSRecords with the image's size gives the
// image back.
std::string FormatSRecords(const std::vector<uint8_t>& image);

#endif  // TARNWICK_IMAGE_SRECORD_H_
