#ifndef TARNWICK_PRODUCTION_SERIAL_NUMBER_H_
#define TARNWICK_PRODUCTION_SERIAL_NUMBER_H_

#include <cstdint>
#include <string>
#include <vector>

// How a serial number is laid out in a chip's bytes.
enum class SerialFormat {
  kLittleEndian,  // "le": binary, lowest byte first
  kBigEndian,     // "be": binary, highest byte first
  kBcd,           // "bcd": two decimal digits a byte, highest first
  kAscii,         // "ascii": decimal digits, zero-padded to the size
};

// Where each chip's serial number goes in its image.
struct SerialArea {
  uint32_t address = 0;  // the first byte's chip address
  uint32_t size = 0;     // bytes
  SerialFormat format = SerialFormat::kLittleEndian;
};

// Reads "ADDR,SIZE,FORMAT": ADDR hexadecimal ("0x" optional, up to FFFF),
// SIZE decimal bytes (1-8 for le, be and bcd; 1-19 for ascii), FORMAT le,
// be, bcd or ascii in any case. False, with *why in English, otherwise.
bool ParseSerialArea(const std::string& text, SerialArea* area,
                     std::string* why);

// The area as ParseSerialArea reads it: "7FF0,4,bcd".
std::string SerialAreaText(const SerialArea& area);

// The largest number the area holds: 2^(8 x size) - 1 in binary,
// 10^(2 x size) - 1 in BCD, 10^size - 1 in ASCII.
uint64_t LargestSerial(const SerialArea& area);

// The area's bytes for `number` into *bytes (size bytes). False, leaving
// *bytes alone, when the number is beyond LargestSerial.
bool EncodeSerial(const SerialArea& area, uint64_t number,
                  std::vector<uint8_t>* bytes);

// The refusals of an area, before any chip is touched: it must lie inside
// a part of `part_size` bytes, and `image` (byte n for address n; bytes past
// its end count as FF) must leave it FF, for the firmware reserves it. False
// with *why naming the area and, for data, the first address that holds some.
bool CheckSerialArea(const SerialArea& area, const std::vector<uint8_t>& image,
                     uint32_t part_size, std::string* why);

// Writes `number` into the area of *image, first growing an image that ends
// before the area's end with FF. False, leaving the image alone, when the
// number does not fit.
bool PutSerial(const SerialArea& area, uint64_t number,
               std::vector<uint8_t>* image);

#endif  // TARNWICK_PRODUCTION_SERIAL_NUMBER_H_
