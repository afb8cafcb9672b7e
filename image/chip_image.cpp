#include "image/chip_image.h"

#include "base/format.h"

bool FitImageToChip(ChipImage* image, uint32_t chip_size,
                    const std::string& part_name, ImageError* error) {
  if (!image->whole_chip) {
    if (image->bytes.size() <= chip_size) return true;
    *error = {0, Format("%llu bytes do not fit the %u-byte %s",
                        static_cast<unsigned long long>(image->bytes.size()),
                        chip_size, part_name.c_str())};
    return false;
  }
  int first_line = image->beyond_line;
  uint64_t address = image->beyond_address;
  for (uint32_t a = chip_size; a < image->line_of.size(); ++a) {
    const int line = image->line_of[a];
    if (line != 0 && (first_line == 0 || line < first_line)) {
      first_line = line;
      address = a;
    }
  }
  if (first_line != 0) {
    *error = {first_line,
              Format("byte at address %04llX is beyond the %u-byte %s",
                     static_cast<unsigned long long>(address), chip_size,
                     part_name.c_str())};
    return false;
  }
  if (image->bytes.size() > chip_size) {
    image->bytes.resize(chip_size);
    image->line_of.resize(chip_size);
  }
  return true;
}
