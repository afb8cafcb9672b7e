#include "production/record_files.h"

#include <system_error>

namespace {

// The folder a file's name is in once links are followed, where a rename
// onto it or its making is recorded.
FilePath FolderOf(const FilePath& path) {
  std::error_code ec;
  const FilePath real = std::filesystem::weakly_canonical(path, ec);
  return (ec ? path : real).parent_path();
}

class RealFiles : public RecordFiles {
 public:
  ReadResult Read(const FilePath& path, uint64_t max_bytes,
                  std::string* contents, std::string* error) override {
    return ReadFileToString(path, contents, max_bytes, error);
  }

  bool Replace(const FilePath& path, const std::string& contents,
               std::string* error) override {
    return WriteStringToFileSafely(path, contents, error) ==
               SaveResult::kSaved &&
           FlushFolderToDisk(FolderOf(path), error);
  }

  ReadResult End(const FilePath& path, uint32_t n, std::string* end,
                 uint64_t* size, std::string* error) override {
    return ReadFileEnd(path, n, end, size, error);
  }

  bool Append(const FilePath& path, const std::string& bytes,
              std::string* error) override {
    std::error_code ec;
    const bool existed = std::filesystem::exists(path, ec);
    return AppendToFileFlushed(path, bytes, error) == SaveResult::kSaved &&
           (existed || FlushFolderToDisk(FolderOf(path), error));
  }
};

}  // namespace

RecordFiles* RealRecordFiles() {
  static RealFiles files;
  return &files;
}
