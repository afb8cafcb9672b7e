#include "production/serial_number.h"

#include <algorithm>
#include <cctype>

#include "base/format.h"
#include "base/hex_number.h"

namespace {

struct FormatName {
  SerialFormat format;
  const char* name;
  uint32_t max_size;
};

const FormatName kFormats[] = {
    {SerialFormat::kLittleEndian, "le", 8},
    {SerialFormat::kBigEndian, "be", 8},
    {SerialFormat::kBcd, "bcd", 8},
    {SerialFormat::kAscii, "ascii", 19},
};

const FormatName& NameOf(SerialFormat format) {
  for (const FormatName& f : kFormats)
    if (f.format == format) return f;
  return kFormats[0];
}

std::string Lower(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

uint64_t PowerOfTen(uint32_t n) {
  uint64_t p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

}  // namespace

bool ParseSerialArea(const std::string& text, SerialArea* area,
                     std::string* why) {
  const size_t first = text.find(',');
  const size_t second =
      first == std::string::npos ? first : text.find(',', first + 1);
  if (second == std::string::npos ||
      text.find(',', second + 1) != std::string::npos) {
    *why = "expected ADDR,SIZE,FORMAT (for example 7FF0,4,bcd)";
    return false;
  }
  const std::string address = text.substr(0, first);
  const std::string size = text.substr(first + 1, second - first - 1);
  const std::string format = Lower(text.substr(second + 1));
  SerialArea parsed;
  if (!ParseHexNumber(address, 0xFFFF, &parsed.address)) {
    *why = "the address \"" + address + "\" is not hexadecimal up to FFFF";
    return false;
  }
  const FormatName* name = nullptr;
  for (const FormatName& f : kFormats)
    if (format == f.name) name = &f;
  if (name == nullptr) {
    *why = "the format \"" + format + "\" is none of le, be, bcd, ascii";
    return false;
  }
  parsed.format = name->format;
  const bool digits = !size.empty() && size.size() <= 2 &&
                      std::all_of(size.begin(), size.end(), [](char c) {
                        return c >= '0' && c <= '9';
                      });
  parsed.size = digits ? static_cast<uint32_t>(std::stoul(size)) : 0;
  if (parsed.size < 1 || parsed.size > name->max_size) {
    *why = Format("the size \"%s\" is not 1 to %u bytes for %s", size.c_str(),
                  name->max_size, name->name);
    return false;
  }
  *area = parsed;
  return true;
}

std::string SerialAreaText(const SerialArea& area) {
  return Format("%X,%u,%s", area.address, area.size, NameOf(area.format).name);
}

uint64_t LargestSerial(const SerialArea& area) {
  switch (area.format) {
    case SerialFormat::kBcd:
      return PowerOfTen(2 * area.size) - 1;
    case SerialFormat::kAscii:
      return PowerOfTen(area.size) - 1;
    default:
      return area.size >= 8 ? UINT64_MAX : (uint64_t{1} << (8 * area.size)) - 1;
  }
}

bool EncodeSerial(const SerialArea& area, uint64_t number,
                  std::vector<uint8_t>* bytes) {
  if (number > LargestSerial(area)) return false;
  std::vector<uint8_t> out(area.size, 0);
  // Filled from the last byte, the least significant, then turned round
  // for `le`.
  for (uint32_t n = area.size; n-- > 0;) {
    switch (area.format) {
      case SerialFormat::kBcd:
        out[n] = static_cast<uint8_t>(number % 10 | (number / 10 % 10) << 4);
        number /= 100;
        break;
      case SerialFormat::kAscii:
        out[n] = static_cast<uint8_t>('0' + number % 10);
        number /= 10;
        break;
      default:
        out[n] = static_cast<uint8_t>(number);
        number >>= 8;
        break;
    }
  }
  if (area.format == SerialFormat::kLittleEndian)
    std::reverse(out.begin(), out.end());
  *bytes = out;
  return true;
}

bool CheckSerialArea(const SerialArea& area, const std::vector<uint8_t>& image,
                     uint32_t part_size, std::string* why) {
  if (uint64_t{area.address} + area.size > part_size) {
    *why = Format("the serial area %04X-%04X is outside the %u-byte part",
                  area.address, area.address + area.size - 1, part_size);
    return false;
  }
  for (uint32_t a = area.address; a < area.address + area.size; ++a) {
    if (a < image.size() && image[a] != 0xFF) {
      *why = Format("the image has data in the serial area %04X-%04X (%02X "
                    "at %04X): the firmware must leave it FF",
                    area.address, area.address + area.size - 1,
                    unsigned{image[a]}, a);
      return false;
    }
  }
  return true;
}

bool PutSerial(const SerialArea& area, uint64_t number,
               std::vector<uint8_t>* image) {
  std::vector<uint8_t> bytes;
  if (!EncodeSerial(area, number, &bytes)) return false;
  if (image->size() < area.address + area.size)
    image->resize(area.address + area.size, 0xFF);
  std::copy(bytes.begin(), bytes.end(), image->begin() + area.address);
  return true;
}
