#include "image/srecord.h"

#include <algorithm>

#include "base/format.h"
#include "image/record_text.h"

namespace {

// Address bytes of each record type; 0 for a type that does not exist.
int AddressBytesOf(char type) {
  switch (type) {
    case '0': case '1': case '5': case '9': return 2;
    case '2': case '6': case '8': return 3;
    case '3': case '7': return 4;
  }
  return 0;
}

uint64_t BigEndian(const uint8_t* bytes, int n) {
  uint64_t value = 0;
  for (int i = 0; i < n; ++i) value = value << 8 | bytes[i];
  return value;
}

// Parses one text into a whole chip; each Line() call takes one line.
class SRecordReader {
 public:
  explicit SRecordReader(uint32_t chip_size) : image_(chip_size) {}

  // Takes one trimmed line. False with `what_` set when it is wrong.
  bool Line(const std::string& line, int number) {
    if (line.empty()) return true;
    if (ended_) return Fail("data after the end record");
    if (line[0] != 'S') {
      return Fail("the line does not start with 'S' but with " +
                  DescribeChar(line[0]));
    }
    if (line.size() < 2) return Fail("no record type after 'S'");
    const char type = line[1];
    const int address_bytes = AddressBytesOf(type);
    if (address_bytes == 0)
      return Fail("record type " + DescribeChar(type) + " is not known");
    std::vector<uint8_t> record;
    if (!DecodeHexBytes(line.substr(2), &record, &what_)) return false;
    if (record.empty()) return Fail("no byte count");
    const size_t count = record[0];
    if (record.size() != count + 1) {
      return Fail(Format("record is %s than its byte count says: %llu bytes "
                         "after the count, not %u",
                         record.size() < count + 1 ? "shorter" : "longer",
                         static_cast<unsigned long long>(record.size() - 1),
                         static_cast<unsigned>(count)));
    }
    if (count < static_cast<size_t>(address_bytes) + 1) {
      return Fail(Format("S%c record too short for its %d address bytes",
                         type, address_bytes));
    }
    uint8_t sum = 0;
    for (uint8_t b : record) sum = static_cast<uint8_t>(sum + b);
    if (sum != 0xFF) {
      return Fail(Format("bad checksum: the record sums to %02X, not FF", sum));
    }
    const uint64_t address = BigEndian(&record[1], address_bytes);
    const uint8_t* data = &record[1 + address_bytes];
    const size_t data_count = count - address_bytes - 1;
    switch (type) {
      case '1': case '2': case '3':
        ++data_records_;
        counted_ = false;
        return image_.Put(address, data, data_count, number, &what_);
      case '5': case '6':
        if (data_count != 0)
          return Fail(Format("S%c record has %u data bytes, not 0", type,
                             static_cast<unsigned>(data_count)));
        if (address != (data_records_ & (type == '5' ? 0xFFFF : 0xFFFFFF))) {
          return Fail(Format("S%c record counts %llu data records, but %llu "
                             "came before it",
                             type, static_cast<unsigned long long>(address),
                             static_cast<unsigned long long>(data_records_)));
        }
        counted_ = true;
        return true;
      case '7': case '8': case '9':
        ended_ = true;
        return true;
    }
    return true;  // S0: a header, of no meaning to the chip
  }

  // After the last line. The end record may be missing when a count
  // follows the last data record: srec_cat, for one, writes it so when it
  // knows no start address.
  bool Finish() {
    return ended_ || counted_ ||
           Fail("no end record (S7, S8 or S9), nor a count record (S5, S6) "
                "after the last data: the file may be cut short");
  }

  const std::string& what() const { return what_; }
  ChipImage& image() { return image_.image(); }

 private:
  bool Fail(const std::string& what) {
    what_ = what;
    return false;
  }

  RecordImage image_;
  uint64_t data_records_ = 0;
  bool ended_ = false;    // an end record came
  bool counted_ = false;  // a count record came after the last data record
  std::string what_;
};

void AppendRecord(std::string* out, char type, uint32_t address,
                  int address_bytes, const uint8_t* data, size_t count) {
  uint8_t sum = static_cast<uint8_t>(count + address_bytes + 1);
  out->push_back('S');
  out->push_back(type);
  AppendHexByte(out, sum);
  for (int i = address_bytes - 1; i >= 0; --i) {
    const uint8_t b = static_cast<uint8_t>(address >> (8 * i));
    AppendHexByte(out, b);
    sum = static_cast<uint8_t>(sum + b);
  }
  for (size_t i = 0; i < count; ++i) {
    AppendHexByte(out, data[i]);
    sum = static_cast<uint8_t>(sum + data[i]);
  }
  AppendHexByte(out, static_cast<uint8_t>(~sum));
  out->append("\r\n");
}

}  // namespace

bool ParseSRecords(const std::string& text, uint32_t chip_size,
                   ChipImage* image, ImageError* error) {
  SRecordReader reader(chip_size);
  return ReadRecords(text, reader, image, error);
}

std::string FormatSRecords(const std::vector<uint8_t>& image) {
  const bool wide = image.size() > 0x10000;
  const int address_bytes = wide ? 3 : 2;
  std::string out;
  for (const size_t at : BlocksToWrite(image)) {
    const size_t n = std::min<size_t>(16, image.size() - at);
    const uint8_t* data = image.data() + at;
    AppendRecord(&out, wide ? '2' : '1', static_cast<uint32_t>(at),
                 address_bytes, data, n);
  }
  AppendRecord(&out, wide ? '8' : '9', 0, address_bytes, nullptr, 0);
  return out;
}
