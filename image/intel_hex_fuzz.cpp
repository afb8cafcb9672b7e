// libFuzzer target: any bytes as Intel HEX text, for both chip sizes. A
// text that parses must give the whole chip and come back the same when
// written out and parsed again; one that is refused must name a line of
// the text (or the one after the last) and a reason. Anything else aborts.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/intel_hex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const long lines = std::count(text.begin(), text.end(), '\n') + 1;
  for (const uint32_t chip_size : {4096u, 8192u}) {
    std::vector<uint8_t> image;
    HexError error;
    if (!ParseIntelHex(text, chip_size, &image, &error)) {
      if (error.line < 1 || error.line > lines + 1 || error.what.empty() ||
          !image.empty())
        std::abort();
      continue;
    }
    if (image.size() != chip_size) std::abort();
    std::vector<uint8_t> again;
    if (!ParseIntelHex(FormatIntelHex(image), chip_size, &again, &error) ||
        again != image)
      std::abort();
  }
  return 0;
}
