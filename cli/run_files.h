#ifndef TARNWICK_CLI_RUN_FILES_H_
#define TARNWICK_CLI_RUN_FILES_H_

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "base/file.h"

// A file a run names: what names it in messages ("--log k.log"), its path,
// and whether the run writes it.
struct NamedFile {
  std::string name;
  FilePath path;
  bool written = false;
};

// A file an option names (a null path: the option is not given), and
// whether the run writes it.
struct OptionFile {
  const char* option;  // "--log"
  const std::optional<std::string>& path;
  bool written;
};

// The files a run names: its image file (none for "" and "-"), which it
// writes when `image_written`; the files of `options`; and the files of the
// simulated board kept in `sim_dir` (when given), the chip written.
std::vector<NamedFile> RunFiles(const std::string& image, bool image_written,
                                std::initializer_list<OptionFile> options,
                                const std::optional<std::string>& sim_dir);

// Whether two of `files` are one file (SameFile: by any path, link or hard
// link) that the run writes through either: false, with *why naming both,
// for the first such pair. A device, pipe or socket may be named twice:
// writing it twice loses nothing.
bool EachFileItsOwn(const std::vector<NamedFile>& files, std::string* why);

enum class InputResult {
  kRead,      // the whole input is in *contents
  kTooLarge,  // it held more than the limit; reading stopped there
  kStopped,   // `stop` asked for it, or a signal ended a read
  kFailed,    // reading failed
};

// Reads `in` to its end into *contents, in blocks, stopping as soon as it
// holds more than `limit` bytes, and when `stop` says so between blocks (a
// signal that interrupts a waiting read ends it too, and `stop` then tells
// it). Its memory stays bounded by the limit.
InputResult ReadInput(std::istream& in, uint64_t limit,
                      const std::function<bool()>& stop,
                      std::string* contents);

#endif  // TARNWICK_CLI_RUN_FILES_H_
