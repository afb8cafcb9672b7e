#include "cli/run_files.h"

#include "sim/board_files.h"

namespace {

constexpr size_t kInputBlock = 64 * 1024;

}  // namespace

std::vector<NamedFile> RunFiles(const std::string& image, bool image_written,
                                std::initializer_list<OptionFile> options,
                                const std::optional<std::string>& sim_dir) {
  std::vector<NamedFile> files;
  if (!image.empty() && image != "-")
    files.push_back({"the image file " + image, PathFromUtf8(image),
                     image_written});
  for (const OptionFile& option : options) {
    if (option.path) {
      files.push_back({std::string(option.option) + " " + *option.path,
                       PathFromUtf8(*option.path), option.written});
    }
  }
  if (sim_dir) {
    const FilePath dir = PathFromUtf8(*sim_dir);
    for (const char* name : {kBoardChipFileName, kBoardSettingsFileName}) {
      files.push_back({"the simulated board's " + PathForDisplay(dir / name),
                       dir / name, name == kBoardChipFileName});
    }
  }
  return files;
}

bool EachFileItsOwn(const std::vector<NamedFile>& files, std::string* why) {
  for (size_t i = 0; i < files.size(); ++i) {
    for (size_t j = i + 1; j < files.size(); ++j) {
      const NamedFile& a = files[i];
      const NamedFile& b = files[j];
      if (!(a.written || b.written) || !IsRegularOrMissing(a.path) ||
          !SameFile(a.path, b.path))
        continue;
      *why = a.name + " and " + b.name +
             " are one file: give each a file of its own";
      return false;
    }
  }
  return true;
}

InputResult ReadInput(std::istream& in, uint64_t limit,
                      const std::function<bool()>& stop,
                      std::string* contents) {
  contents->clear();
  char block[kInputBlock];
  for (;;) {
    if (stop && stop()) return InputResult::kStopped;
    in.read(block, sizeof block);
    contents->append(block, static_cast<size_t>(in.gcount()));
    if (contents->size() > limit) {
      contents->clear();
      return InputResult::kTooLarge;
    }
    if (in.good()) continue;
    // A short read is the end, an error, or a signal's interruption.
    if (stop && stop()) return InputResult::kStopped;
    return in.eof() ? InputResult::kRead : InputResult::kFailed;
  }
}
