#include "mfc/file_filter.h"

namespace {

// GBK lead bytes; the byte after one is a trail byte (0x40 to 0xFE,
// so it can be "|", 0x7C).
bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

}  // namespace

std::string FilterToNulForm(const std::string& filter) {
  if (filter.empty()) return std::string();
  std::string out = filter;
  for (size_t i = 0; i < out.size(); ++i) {
    if (IsGbkLeadByte(static_cast<unsigned char>(out[i])) &&
        i + 1 < out.size()) {
      ++i;
    } else if (out[i] == '|') {
      out[i] = '\0';
    }
  }
  while (out.size() < 2 || out[out.size() - 1] != '\0' ||
         out[out.size() - 2] != '\0') {
    out.push_back('\0');
  }
  return out;
}
