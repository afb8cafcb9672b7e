#include "image/intel_hex.h"

#include <algorithm>

#include "base/format.h"
#include "image/record_text.h"

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
  explicit HexReader(uint32_t chip_size) : image_(chip_size) {}

  // Takes one line (trimmed, without its line break). False with `what_`
  // set when it is wrong.
  bool Line(const std::string& line, int number) {
    if (line.empty()) return true;
    if (ended_) return Fail("data after the end-of-file record");
    if (line[0] != ':') {
      return Fail("the line does not start with ':' but with " +
                  DescribeChar(line[0]));
    }
    std::vector<uint8_t> record;
    if (!DecodeHexBytes(line.substr(1), &record, &what_)) return false;
    if (record.empty()) return Fail("nothing after ':'");
    const size_t count = record[0];
    if (record.size() != count + kFrameBytes) {
      return Fail(Format("record is %s than its byte count says: %llu bytes, "
                         "not %u",
                         record.size() < count + kFrameBytes ? "shorter"
                                                             : "longer",
                         static_cast<unsigned long long>(record.size()),
                         static_cast<unsigned>(count + kFrameBytes)));
    }
    uint8_t sum = 0;
    for (uint8_t b : record) sum = static_cast<uint8_t>(sum + b);
    if (sum != 0) {
      return Fail(Format("bad checksum: the record sums to %02X, not 00", sum));
    }
    return Record(record[3], BigEndian16(&record[1]), &record[4], count, number);
  }

  // After the last line: false unless the end-of-file record came.
  bool Finish() { return ended_ || Fail("no end-of-file record"); }

  const std::string& what() const { return what_; }
  ChipImage& image() { return image_.image(); }

 private:
  bool Record(uint8_t type, uint32_t offset, const uint8_t* data,
              size_t count, int line) {
    if (type > kStartLinear) {
      return Fail(Format("record type %02X is not known", type));
    }
    const int wanted = DataBytesOf(type);
    if (wanted >= 0 && count != static_cast<size_t>(wanted)) {
      return Fail(Format("%s record has %u data bytes, not %d", NameOf(type),
                         static_cast<unsigned>(count), wanted));
    }
    // Addresses run on from base + offset without wrapping at 64 KB, so a
    // record reaching past the end of a bank lands beyond a small chip
    // instead of at its start.
    switch (type) {
      case kData:
        return image_.Put(base_ + offset, data, count, line, &what_);
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

  bool Fail(const std::string& what) {
    what_ = what;
    return false;
  }

  RecordImage image_;
  uint64_t base_ = 0;        // from the last 02 or 04 record
  bool ended_ = false;
  std::string what_;
};

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

bool ParseIntelHex(const std::string& text, uint32_t chip_size,
                   ChipImage* image, ImageError* error) {
  HexReader reader(chip_size);
  return ReadRecords(text, reader, image, error);
}

std::string FormatIntelHex(const std::vector<uint8_t>& image) {
  std::string out;
  uint32_t bank = 0;  // bits 16-31 of the addresses the records give
  for (const size_t at : BlocksToWrite(image)) {
    const size_t n = std::min<size_t>(16, image.size() - at);
    const uint8_t* data = image.data() + at;
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
