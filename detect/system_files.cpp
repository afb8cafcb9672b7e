#include "detect/system_files.h"

#include <cctype>

namespace {

// sysfs files report a size of one page, /proc files none; all are far
// smaller than this.
constexpr uint64_t kMaxSystemFileBytes = 1 << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

bool ReadSystemFile(const FilePath& path, std::string* text,
                    std::string* problem) {
  std::string why;
  if (ReadFileToString(path, text, kMaxSystemFileBytes, &why) ==
      ReadResult::kRead) {
    return true;
  }
  *problem = "cannot read " + PathForDisplay(path) + ": " + why;
  return false;
}

std::optional<uint64_t> ParseHexNumber(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  if (end - begin > 2 && text[begin] == '0' &&
      (text[begin + 1] == 'x' || text[begin + 1] == 'X')) {
    begin += 2;
  }
  // Sixteen digits at most, so the value cannot overflow.
  if (begin == end || end - begin > 16) return std::nullopt;
  uint64_t value = 0;
  for (size_t i = begin; i < end; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (!std::isxdigit(c)) return std::nullopt;
    const int digit = std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10;
    value = value * 16 + static_cast<uint64_t>(digit);
  }
  return value;
}
