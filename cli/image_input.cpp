#include "cli/image_input.h"

#include "base/format.h"
#include "cli/run_files.h"
#include "image/checksum.h"

int ImageFault(RunReport& report, const std::string& name,
               const ImageError& error) {
  return report.Error(kExitBadUsage, "file",
                      error.line > 0 ? Format("%s:%d: %s", name.c_str(),
                                              error.line, error.what.c_str())
                                     : name + ": " + error.what);
}

int LoadImageInput(const CliOptions& o, CliEnv& env, RunReport& report,
                   uint32_t size, ImageInput* input) {
  const auto stop = [&env] {
    return env.interrupted != nullptr && env.interrupted->load();
  };
  const bool standard = o.file == "-";
  input->name = standard ? "standard input" : o.file;
  ImageError error;
  ImageLoadResult loaded;
  if (standard) {
    std::string contents;
    switch (ReadInput(*env.in, ImageFileLimit(size), stop, &contents)) {
      case InputResult::kStopped:
        return report.Error(kExitInterrupted, "interrupted",
                            "interrupted while reading standard input; the "
                            "chip is unchanged");
      case InputResult::kTooLarge:
        return report.Error(
            kExitBadUsage, "file",
            Format("standard input: more than %llu bytes, more than any "
                   "image file holds",
                   static_cast<unsigned long long>(ImageFileLimit(size))));
      case InputResult::kFailed:
        return report.Error(kExitBadUsage, "file",
                            "cannot read standard input");
      case InputResult::kRead:
        break;
    }
    loaded = ParseImage(contents, FilePath(), o.format, size, &input->image,
                        &error, &input->format);
  } else {
    loaded = LoadImageFile(PathFromUtf8(o.file), o.format, size, &input->image,
                           &error, &input->format);
  }
  if (loaded == ImageLoadResult::kNotOpened ||
      loaded == ImageLoadResult::kNotRead) {
    if (stop())  // a signal ended the wait for a FIFO
      return report.Error(kExitInterrupted, "interrupted",
                          "interrupted while opening " + o.file);
    return report.Error(kExitBadUsage, "file",
                        "cannot read " + o.file + ": " + error.what);
  }
  if (loaded != ImageLoadResult::kLoaded)
    return ImageFault(report, input->name, error);
  return kExitOk;
}

int LoadImageForChips(const CliOptions& o, CliEnv& env, RunReport& report,
                      ImageInput* input, std::vector<const Part*>* parts) {
  const Part* named = o.part ? PartByName(*o.part) : nullptr;
  const uint32_t size = named != nullptr ? named->size : LargestPartSize();
  const int code = LoadImageInput(o, env, report, size, input);
  if (code != kExitOk) return code;
  ImageError error;
  if (named != nullptr &&
      !FitImageToChip(&input->image, size, named->name, &error))
    return ImageFault(report, input->name, error);
  *parts = named != nullptr ? std::vector<const Part*>{named} : PartSizes();
  if (!o.expect_sum && !o.expect_crc) return kExitOk;
  const std::vector<const Part*> all = *parts;
  return MatchExpectedSums(o, *input, all, report, parts);
}

std::vector<const Part*> PartSizes() {
  std::vector<const Part*> parts;
  for (const char* name : {"89c51", "89c52"}) parts.push_back(PartByName(name));
  return parts;
}

int MatchExpectedSums(const CliOptions& o, const ImageInput& input,
                      const std::vector<const Part*>& parts, RunReport& report,
                      std::vector<const Part*>* matching) {
  matching->clear();
  std::string values;
  ImageError unfit;
  bool fits = false;
  for (const Part* part : parts) {
    ChipImage fitted = input.image;
    ImageError error;
    if (!FitImageToChip(&fitted, part->size, part->name, &error)) {
      if (!fits && unfit.what.empty()) unfit = error;
      continue;
    }
    fits = true;
    const ImageChecksums sums = ChecksumsOf(fitted, part->size);
    if ((!o.expect_sum || *o.expect_sum == sums.sum16) &&
        (!o.expect_crc || *o.expect_crc == sums.crc32))
      matching->push_back(part);
    values += Format("%sSUM16 %s, CRC-32 %s for the %s",
                     values.empty() ? "" : "; ", Sum16Text(sums.sum16).c_str(),
                     Crc32Text(sums.crc32).c_str(), part->name);
  }
  if (!fits) return ImageFault(report, input.name, unfit);
  if (!matching->empty()) return kExitOk;
  std::string wanted;
  if (o.expect_sum)
    wanted = "SUM16 " + Sum16Text(*o.expect_sum) + " (--expect-sum)";
  if (o.expect_crc) {
    wanted += (wanted.empty() ? "CRC-32 " : " and CRC-32 ") +
              Crc32Text(*o.expect_crc) + " (--expect-crc)";
  }
  return report.Error(
      kExitBadUsage, "checksum",
      input.name + ": its chip image has " + values + "; expected " + wanted);
}
