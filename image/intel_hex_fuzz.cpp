// libFuzzer target: any bytes as Intel HEX text and as S-record text, for
// both chip sizes. A text that parses must give the whole chip and come
// back the same when written out and parsed again; one that is refused
// must name a line of the text (or the one after the last) and a reason.
// Anything else aborts.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/intel_hex.h"
#include "image/srecord.h"

namespace {

using Parser = bool (*)(const std::string&, uint32_t, ChipImage*,
                        ImageError*);
using Formatter = std::string (*)(const std::vector<uint8_t>&);

void Check(const std::string& text, Parser parse, Formatter format) {
  // An upper bound: CR alone ends a line too.
  const long lines = std::count(text.begin(), text.end(), '\n') +
                     std::count(text.begin(), text.end(), '\r') + 1;
  for (const uint32_t chip_size : {4096u, 8192u}) {
    ChipImage image;
    ImageError error;
    if (!parse(text, chip_size, &image, &error)) {
      if (error.line < 1 || error.line > lines + 1 || error.what.empty() ||
          !image.bytes.empty())
        std::abort();
      continue;
    }
    if (image.bytes.size() != chip_size) std::abort();
    ChipImage again;
    if (!parse(format(image.bytes), chip_size, &again, &error) ||
        again.bytes != image.bytes)
      std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Check(text, ParseIntelHex, FormatIntelHex);
  Check(text, ParseSRecords, FormatSRecords);
  return 0;
}
