// libFuzzer target: any bytes as the text of start.ini, and as a value for
// ParseHexValue (up to the first NUL, as a C string). Each address must be
// its default or the value written after its key's first occurrence, up to
// the next ';'. Anything else, or a crash or sanitizer report, fails.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/port_config.h"

namespace {

// ParseHexValue told another way: only the last eight characters can
// reach the 32 bits, each a digit or 0.
uint32_t LastEightDigits(const std::string& text) {
  uint32_t value = 0;
  for (size_t i = text.size() > 8 ? text.size() - 8 : 0; i < text.size();
       ++i) {
    const char c = text[i];
    uint32_t digit = 0;
    if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
    if (c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
    value = value * 16 + digit;
  }
  return value;
}

bool IsDefaultOrWritten(const std::string& text, const std::string& key,
                        uint16_t address, uint16_t default_address) {
  if (address == default_address) return true;
  const size_t at = text.find(key);
  if (at == std::string::npos) return false;
  const size_t start = at + key.size();
  const size_t end = text.find(';', start);
  if (end == std::string::npos || end == start) return false;
  return ParseHexValue(text.substr(start, end - start).c_str()) == address;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = bytes.c_str();  // up to the first NUL
  if (ParseHexValue(text.c_str()) != LastEightDigits(text)) std::abort();

  const BoardPorts ports = ParsePortConfig(bytes);
  if (!IsDefaultOrWritten(text, "RTL8139ADDR=", ports.rtl_base,
                          kDefaultRtlBase) ||
      !IsDefaultOrWritten(text, "EPPADDR=", ports.epp_port, kDefaultEppPort))
    std::abort();
  return 0;
}
