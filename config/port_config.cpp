#include "config/port_config.h"

#include <cstring>

namespace {

constexpr size_t kMaxValueLength = 255;

// The value of `key` in `text`, or the default when it is missing, unusable
// or does not fit in 16 bits.
uint16_t ValueOf(const std::string& text, const char* key,
                 uint16_t default_value) {
  const size_t key_at = text.find(key);
  if (key_at == std::string::npos) return default_value;
  const size_t start = key_at + std::strlen(key);
  const size_t end = text.find(';', start);
  if (end == std::string::npos) return default_value;
  const size_t length = end - start;
  if (length == 0 || length > kMaxValueLength) return default_value;
  const uint32_t value = ParseHexValue(text.substr(start, length).c_str());
  return value > 0xFFFF ? default_value : static_cast<uint16_t>(value);
}

}  // namespace

uint32_t ParseHexValue(const char* text) {
  uint32_t result = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    result <<= 4;
    if (*c >= '0' && *c <= '9') {
      result += static_cast<uint32_t>(*c - '0');
    } else if (*c >= 'a' && *c <= 'f') {
      result += static_cast<uint32_t>(*c - 'a' + 10);
    } else if (*c >= 'A' && *c <= 'F') {
      result += static_cast<uint32_t>(*c - 'A' + 10);
    }
  }
  return result;
}

BoardPorts ParsePortConfig(const std::string& text) {
  const std::string visible = text.substr(0, text.find('\0'));
  BoardPorts ports;
  ports.rtl_base = ValueOf(visible, "RTL8139ADDR=", kDefaultRtlBase);
  ports.epp_port = ValueOf(visible, "EPPADDR=", kDefaultEppPort);
  return ports;
}

bool LoadPortConfig(const FilePath& path, BoardPorts* ports) {
  std::string text;
  if (ReadFileToString(path, &text) != ReadResult::kRead) return false;
  *ports = ParsePortConfig(text);
  return true;
}
