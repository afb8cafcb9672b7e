#include "image/intel_hex.h"

#include <algorithm>

#include "base/format.h"

namespace {

// Record types.
constexpr uint8_t kData = 0x00;
constexpr uint8_t kEndOfFile = 0x01;
constexpr uint8_t kSegmentAddress = 0x02;
constexpr uint8_t kStartSegment = 0x03;
constexpr uint8_t kLinearAddress = 0x04;
constexpr uint8_t kStartLinear = 0x05;

// Byte count, two address bytes, type and checksum: what every record has
// besides its data.
constexpr size_t kFrameBytes = 5;
constexpr size_t kMaxRecordBytes = kFrameBytes + 255;

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A character for a message: itself in quotes when printable, else its code.
std::string Describe(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  if (u >= 0x20 && u < 0x7F) return Format("'%c'", c);
  return Format("byte %02X", u);
}

uint32_t BigEndian16(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0] << 8 | bytes[1]);
}

// Data bytes each record type must have; -1 for any number.
int DataBytesOf(uint8_t type) {
  switch (type) {
    case kData: return -1;
    case kEndOfFile: return 0;
    case kSegmentAddress:
    case kLinearAddress: return 2;
    case kStartSegment:
    case kStartLinear: return 4;
  }
  return -1;
}

const char* NameOf(uint8_t type) {
  switch (type) {
    case kEndOfFile: return "end-of-file";
    case kSegmentAddress: return "extended segment address";
    case kStartSegment: return "start segment address";
    case kLinearAddress: return "extended linear address";
    case kStartLinear: return "start linear address";
  }
  return "data";
}

// Parses one text into a whole chip; each Record() call takes one line.
class HexReader {
 public:
  explicit HexReader(uint32_t chip_size)
      : image_(chip_size, 0xFF), lines_(chip_size, 0) {}

  // Takes the line [begin, end) (no line break), the `number`th. False with
  // `what_` set when it is wrong.
  bool Line(const char* begin, const char* end, int number) {
    line_ = number;
    while (begin < end && IsBlank(*begin)) ++begin;
    while (end > begin && IsBlank(end[-1])) --end;
    if (begin == end) return true;
    if (ended_) return Fail("data after the end-of-file record");
    if (*begin != ':') {
      return Fail("the line does not start with ':' but with " +
                  Describe(*begin));
    }
    ++begin;
    for (const char* c = begin; c < end; ++c) {
      if (HexDigit(*c) < 0) return Fail("non-hex character " + Describe(*c));
    }
    const size_t digits = static_cast<size_t>(end - begin);
    if (digits == 0) return Fail("nothing after ':'");
    if (digits % 2 != 0) {
      return Fail(Format("odd number of hex digits (%llu)",
                         static_cast<unsigned long long>(digits)));
    }
    const size_t length = digits / 2;
    const size_t count = static_cast<size_t>(HexDigit(begin[0]) * 16 +
                                             HexDigit(begin[1]));
    if (length != count + kFrameBytes) {
      return Fail(Format("record is %s than its byte count says: %llu bytes, "
                         "not %u",
                         length < count + kFrameBytes ? "shorter" : "longer",
                         static_cast<unsigned long long>(length),
                         static_cast<unsigned>(count + kFrameBytes)));
    }
    uint8_t record[kMaxRecordBytes];
    uint8_t sum = 0;
    for (size_t i = 0; i < length; ++i) {
      record[i] = static_cast<uint8_t>(HexDigit(begin[2 * i]) * 16 +
                                       HexDigit(begin[2 * i + 1]));
      sum = static_cast<uint8_t>(sum + record[i]);
    }
    if (sum != 0) {
      return Fail(Format("bad checksum: the record sums to %02X, not 00", sum));
    }
    return Record(record[3], BigEndian16(record + 1), record + 4, count);
  }

  // After the last line: false unless the end-of-file record came.
  bool Finish() { return ended_ || Fail("no end-of-file record"); }

  const std::string& what() const { return what_; }
  std::vector<uint8_t>& image() { return image_; }
  std::vector<int>& lines() { return lines_; }

 private:
  bool Record(uint8_t type, uint32_t offset, const uint8_t* data,
              size_t count) {
    if (type > kStartLinear) {
      return Fail(Format("record type %02X is not known", type));
    }
    const int wanted = DataBytesOf(type);
    if (wanted >= 0 && count != static_cast<size_t>(wanted)) {
      return Fail(Format("%s record has %u data bytes, not %d", NameOf(type),
                         static_cast<unsigned>(count), wanted));
    }
    switch (type) {
      case kData:
        return Data(offset, data, count);
      case kEndOfFile:
        ended_ = true;
        return true;
      case kSegmentAddress:
        base_ = uint64_t{BigEndian16(data)} << 4;
        return true;
      case kLinearAddress:
        base_ = uint64_t{BigEndian16(data)} << 16;
        return true;
    }
    return true;  // start addresses mean nothing to a chip
  }

  // Addresses run on from base + offset without wrapping at 64 KB, so a
  // record reaching past the end of a bank lands beyond a small chip
  // instead of at its start.
  bool Data(uint32_t offset, const uint8_t* data, size_t count) {
    for (size_t i = 0; i < count; ++i) {
      const uint64_t address = base_ + offset + i;
      if (address >= image_.size())
        return Fail(BeyondChipText(address, image_.size()));
      if (lines_[address] != 0 && image_[address] != data[i]) {
        return Fail(Format("address %04llX is given twice with different "
                           "data (%02X, then %02X)",
                           static_cast<unsigned long long>(address),
                           image_[address], data[i]));
      }
      image_[address] = data[i];
      lines_[address] = line_;
    }
    return true;
  }

  bool Fail(const std::string& what) {
    what_ = what;
    return false;
  }

  std::vector<uint8_t> image_;
  std::vector<int> lines_;   // the line that set each byte, 0 for none
  int line_ = 0;             // the line being read
  uint64_t base_ = 0;        // from the last 02 or 04 record
  bool ended_ = false;
  std::string what_;
};

void AppendHexByte(std::string* out, uint8_t byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out->push_back(kDigits[byte >> 4]);
  out->push_back(kDigits[byte & 0x0F]);
}

void AppendRecord(std::string* out, uint8_t type, uint32_t offset,
                  const uint8_t* data, size_t count) {
  const uint8_t frame[] = {static_cast<uint8_t>(count),
                           static_cast<uint8_t>(offset >> 8),
                           static_cast<uint8_t>(offset), type};
  uint8_t sum = 0;
  out->push_back(':');
  for (uint8_t b : frame) {
    AppendHexByte(out, b);
    sum = static_cast<uint8_t>(sum + b);
  }
  for (size_t i = 0; i < count; ++i) {
    AppendHexByte(out, data[i]);
    sum = static_cast<uint8_t>(sum + data[i]);
  }
  AppendHexByte(out, static_cast<uint8_t>(-sum));
  out->append("\r\n");
}

}  // namespace

std::string BeyondChipText(uint64_t address, uint64_t chip_size) {
  return Format("byte at address %04llX is beyond the %llu-byte chip",
                static_cast<unsigned long long>(address),
                static_cast<unsigned long long>(chip_size));
}

bool ParseIntelHex(const std::string& text, uint32_t chip_size,
                   std::vector<uint8_t>* image, HexError* error,
                   std::vector<int>* lines) {
  HexReader reader(chip_size);
  const char* at = text.data();
  const char* const end = at + text.size();
  if (text.compare(0, 3, kByteOrderMark) == 0) at += 3;
  int line = 1;
  for (;; ++line) {
    const char* line_end = std::find(at, end, '\n');
    if (!reader.Line(at, line_end, line)) break;
    if (line_end == end) {
      // The end-of-file record is missing from the line after the last; a
      // final line break ends the last line rather than starting one.
      if (at != end) ++line;
      if (reader.Finish()) {
        image->swap(reader.image());
        if (lines != nullptr) lines->swap(reader.lines());
        return true;
      }
      break;
    }
    at = line_end + 1;
  }
  if (error != nullptr) {
    error->line = line;
    error->what = reader.what();
  }
  return false;
}

std::string FormatIntelHex(const std::vector<uint8_t>& image) {
  std::string out;
  uint32_t bank = 0;  // bits 16-31 of the addresses the records give
  for (size_t at = 0; at < image.size(); at += 16) {
    const size_t n = std::min<size_t>(16, image.size() - at);
    const uint8_t* data = image.data() + at;
    if (std::all_of(data, data + n, [](uint8_t b) { return b == 0xFF; }))
      continue;
    const uint32_t upper = static_cast<uint32_t>(at >> 16);
    if (upper != bank) {
      const uint8_t value[] = {static_cast<uint8_t>(upper >> 8),
                               static_cast<uint8_t>(upper)};
      AppendRecord(&out, kLinearAddress, 0, value, 2);
      bank = upper;
    }
    AppendRecord(&out, kData, static_cast<uint32_t>(at & 0xFFFF), data, n);
  }
  AppendRecord(&out, kEndOfFile, 0, nullptr, 0);
  return out;
}
