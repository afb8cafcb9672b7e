#include "image/record_text.h"

#include <algorithm>

#include "base/format.h"

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr char kDosEndOfFile = '\x1A';

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

}  // namespace

TextLines::TextLines(const std::string& text)
    : at_(text.data()), end_(text.data() + text.size()) {
  if (text.compare(0, 3, kByteOrderMark) == 0) at_ += 3;
  while (end_ > at_ && end_[-1] == kDosEndOfFile) --end_;
}

bool TextLines::Next(std::string* line, int* number) {
  if (at_ == end_) return false;
  const char* stop = at_;
  while (stop < end_ && *stop != '\n' && *stop != '\r') ++stop;
  const char* begin = at_;
  const char* finish = stop;
  while (begin < finish && IsBlank(*begin)) ++begin;
  while (finish > begin && IsBlank(finish[-1])) --finish;
  line->assign(begin, finish);
  *number = ++number_;
  if (stop < end_ && *stop == '\r' && stop + 1 < end_ && stop[1] == '\n')
    ++stop;
  at_ = stop < end_ ? stop + 1 : stop;
  return true;
}

int TextLines::LineAfterLast() const { return number_ + 1; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string DescribeChar(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  if (u >= 0x20 && u < 0x7F) return Format("'%c'", c);
  return Format("byte %02X", u);
}

bool DecodeHexBytes(const std::string& digits, std::vector<uint8_t>* bytes,
                    std::string* what) {
  for (char c : digits) {
    if (HexDigit(c) < 0) {
      *what = "non-hex character " + DescribeChar(c);
      return false;
    }
  }
  if (digits.size() % 2 != 0) {
    *what = Format("odd number of hex digits (%llu)",
                   static_cast<unsigned long long>(digits.size()));
    return false;
  }
  bytes->resize(digits.size() / 2);
  for (size_t i = 0; i < bytes->size(); ++i) {
    (*bytes)[i] = static_cast<uint8_t>(HexDigit(digits[2 * i]) * 16 +
                                       HexDigit(digits[2 * i + 1]));
  }
  return true;
}

RecordImage::RecordImage(uint32_t chip_size) {
  image_.bytes.assign(chip_size, 0xFF);
  image_.whole_chip = true;
  image_.line_of.assign(chip_size, 0);
}

bool RecordImage::Put(uint64_t address, const uint8_t* data, size_t count,
                      int line, std::string* what) {
  std::vector<uint8_t>& bytes = image_.bytes;
  for (size_t i = 0; i < count; ++i, ++address) {
    if (address >= bytes.size()) {
      if (image_.beyond_line == 0) {
        image_.beyond_line = line;
        image_.beyond_address = address;
      }
      continue;
    }
    if (image_.line_of[address] != 0 && bytes[address] != data[i]) {
      *what = Format("address %04llX is given twice with different data "
                     "(%02X, then %02X)",
                     static_cast<unsigned long long>(address),
                     bytes[address], data[i]);
      return false;
    }
    bytes[address] = data[i];
    if (image_.line_of[address] == 0) image_.line_of[address] = line;
  }
  return true;
}

std::vector<size_t> BlocksToWrite(const std::vector<uint8_t>& image) {
  std::vector<size_t> blocks;
  for (size_t at = 0; at < image.size(); at += 16) {
    const auto end = image.begin() + std::min<size_t>(at + 16, image.size());
    if (std::any_of(image.begin() + at, end,
                    [](uint8_t b) { return b != 0xFF; }))
      blocks.push_back(at);
  }
  if (blocks.empty() && !image.empty()) blocks.push_back(0);
  return blocks;
}

void AppendHexByte(std::string* out, uint8_t byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out->push_back(kDigits[byte >> 4]);
  out->push_back(kDigits[byte & 0x0F]);
}
