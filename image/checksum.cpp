#include "image/checksum.h"

#include <array>

#include "base/format.h"

namespace {

std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

bool Given(const ChipImage& image, uint32_t a) {
  if (a >= image.bytes.size()) return false;
  return !image.whole_chip || (a < image.line_of.size() && image.line_of[a] != 0);
}

}  // namespace

uint16_t Sum16(const uint8_t* bytes, size_t n, uint16_t sum) {
  uint32_t s = sum;
  for (size_t i = 0; i < n; ++i) s += bytes[i];
  return static_cast<uint16_t>(s);
}

uint32_t Crc32(const uint8_t* bytes, size_t n, uint32_t crc) {
  static const std::array<uint32_t, 256> table = MakeCrcTable();
  uint32_t c = crc ^ 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) c = table[(c ^ bytes[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

ImageChecksums ChecksumsOf(const ChipImage& image, uint32_t chip_size) {
  ImageChecksums sums;
  sums.chip_size = chip_size;
  for (uint32_t a = 0; a < chip_size; ++a) {
    const bool given = Given(image, a);
    const uint8_t byte = given ? image.bytes[a] : 0xFF;
    sums.sum16 = Sum16(&byte, 1, sums.sum16);
    sums.crc32 = Crc32(&byte, 1, sums.crc32);
    if (!given) continue;
    if (sums.bytes_given++ == 0) sums.first = a;
    sums.last = a;
    sums.file_sum16 = Sum16(&byte, 1, sums.file_sum16);
  }
  return sums;
}

std::string Sum16Text(uint16_t sum) { return Format("%04X", unsigned{sum}); }

std::string Crc32Text(uint32_t crc) {
  return Format("%08X", static_cast<unsigned>(crc));
}
