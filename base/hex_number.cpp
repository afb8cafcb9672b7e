#include "base/hex_number.h"

#include <cctype>

bool ParseHexNumber(const std::string& text, uint32_t max, uint32_t* value) {
  std::string digits = text;
  if (digits.size() > 2 && digits[0] == '0' &&
      (digits[1] == 'x' || digits[1] == 'X'))
    digits = digits.substr(2);
  if (digits.empty() || digits.size() > 8) return false;
  uint32_t v = 0;
  for (char c : digits) {
    const int lower = std::tolower(static_cast<unsigned char>(c));
    if (!std::isxdigit(lower)) return false;
    v = v * 16 + static_cast<uint32_t>(std::isdigit(lower) ? lower - '0'
                                                           : lower - 'a' + 10);
  }
  if (v > max) return false;
  *value = v;
  return true;
}
