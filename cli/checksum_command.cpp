#include "cli/checksum_command.h"

#include "base/format.h"
#include "cli/image_input.h"
#include "image/checksum.h"

namespace {

const char* FormatName(ImageFormat format) {
  switch (format) {
    case ImageFormat::kIntelHex:
      return "Intel HEX";
    case ImageFormat::kSRecord:
      return "S-records";
    default:
      return "raw binary";
  }
}

}  // namespace

int RunChecksum(const CliOptions& o, CliEnv& env, RunReport& report) {
  const Part* named = o.part ? PartByName(*o.part) : nullptr;
  const std::vector<const Part*> parts =
      named != nullptr ? std::vector<const Part*>{named} : PartSizes();
  ImageInput input;
  const int code = LoadImageInput(
      o, env, report, named != nullptr ? named->size : LargestPartSize(),
      &input);
  if (code != kExitOk) return code;
  std::vector<std::string> lines;
  ImageChecksums given;  // of the largest part the file fits
  for (const Part* part : parts) {
    ChipImage fitted = input.image;
    ImageError error;
    if (!FitImageToChip(&fitted, part->size, part->name, &error)) {
      lines.push_back(
          Format("%s: does not fit: %s\n", part->name, error.what.c_str()));
      continue;
    }
    given = ChecksumsOf(fitted, part->size);
    lines.push_back(
        Format("%s chip image (%u bytes, FF where the file gives "
               "none): SUM16 %s, CRC-32 %s\n",
               part->name, part->size, Sum16Text(given.sum16).c_str(),
               Crc32Text(given.crc32).c_str()));
    EventFields image = ImageFields(o.file, input.format, given);
    image["part"] = part->name;
    report.Event("image", image);
  }
  if (given.chip_size == 0) {
    std::vector<const Part*> none;
    return MatchExpectedSums(o, input, parts, report, &none);
  }
  std::ostream& out = report.Out();
  out << Format("%s: %s, %u bytes given", input.name.c_str(),
                FormatName(input.format), given.bytes_given);
  if (given.bytes_given > 0)
    out << Format(", at %04X-%04X", given.first, given.last);
  out << "; their SUM16 " << Sum16Text(given.file_sum16) << "\n";
  for (const std::string& line : lines) out << line;
  if (!o.expect_sum && !o.expect_crc) return kExitOk;
  std::vector<const Part*> matching;
  return MatchExpectedSums(o, input, parts, report, &matching);
}
