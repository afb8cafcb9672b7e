#ifndef TARNWICK_IMAGE_RECORD_TEXT_H_
#define TARNWICK_IMAGE_RECORD_TEXT_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "image/chip_image.h"

// What the text image formats (Intel HEX, Motorola S-records) share: their
// lines, their hex digits, and the whole chip their records fill in.

// Splits a text into lines: a UTF-8 byte order mark at the start is
// skipped; lines end in LF, CR LF or CR alone; DOS end-of-file bytes (1A)
// ending the text, as old DOS tools leave them, are dropped. Blanks around
// a line are trimmed.
class TextLines {
 public:
  explicit TextLines(const std::string& text);

  // The next line, and its 1-based number; false after the last.
  bool Next(std::string* line, int* number);

  // The number of the line after the last one (a final line break ends the
  // last line rather than starting one): where a missing record is told.
  int LineAfterLast() const;

 private:
  const char* at_;
  const char* end_;
  int number_ = 0;
};

// Feeds each line of `text` (TextLines) to reader.Line(line, number), then
// calls reader.Finish(), both returning false on a fault, and takes the
// whole chip from reader.image(). False at the first fault, with *error
// (when given) holding its line (the line after the last for Finish())
// and reader.what(); *image is then unchanged.
template <typename Reader>
bool ReadRecords(const std::string& text, Reader& reader, ChipImage* image,
                 ImageError* error) {
  TextLines lines(text);
  std::string content;
  int line = 0;
  bool ok = true;
  while (ok && lines.Next(&content, &line)) ok = reader.Line(content, line);
  if (ok) {
    line = lines.LineAfterLast();
    ok = reader.Finish();
  }
  if (ok) {
    *image = std::move(reader.image());
  } else if (error != nullptr) {
    *error = {line, reader.what()};
  }
  return ok;
}

// The value of a hex digit of either case, -1 for any other character.
int HexDigit(char c);

// A character for a message: itself in quotes when printable, else its code.
std::string DescribeChar(char c);

// Decodes `digits` (hex digits only, an even number of them) into *bytes.
// False, with *what saying why, when they are not.
bool DecodeHexBytes(const std::string& digits, std::vector<uint8_t>* bytes,
                    std::string* what);

// A whole chip as records fill it in: 0xFF where no record gives a byte.
class RecordImage {
 public:
  explicit RecordImage(uint32_t chip_size);

  // Puts `count` bytes from `address` on, given by line `line`. A byte
  // beyond the chip is not kept; the first such is noted (beyond_line).
  // False, with *what saying why, when an address is given twice with
  // different data.
  bool Put(uint64_t address, const uint8_t* data, size_t count, int line,
           std::string* what);

  // The image so far (whole_chip, with the lines that gave its bytes).
  ChipImage& image() { return image_; }

 private:
  ChipImage image_;
};

// The records the text formats write for `image`: the offsets of its
// 16-byte blocks that hold a byte other than 0xFF (missing bytes read as
// 0xFF), and the first block of an image that is all 0xFF, so that every
// file gives bytes. Ascending.
std::vector<size_t> BlocksToWrite(const std::vector<uint8_t>& image);

// Appends `byte` as two upper-case hex digits.
void AppendHexByte(std::string* out, uint8_t byte);

#endif  // TARNWICK_IMAGE_RECORD_TEXT_H_
