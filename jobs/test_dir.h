#ifndef TARNWICK_JOBS_TEST_DIR_H_
#define TARNWICK_JOBS_TEST_DIR_H_

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// A fresh directory for one test, removed with everything in it at the
// end. Paths are native; Path() ends in the separator.
class TestDir {
 public:
  TestDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tarnwick-jobs-XXXXXX")
            .string();
    path_ = mkdtemp(&pattern[0]) ? pattern + "/" : std::string();
  }
  ~TestDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TestDir(const TestDir&) = delete;
  TestDir& operator=(const TestDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string Path(const std::string& name) const { return path_ + name; }

  bool Exists(const std::string& name) const {
    return std::filesystem::exists(Path(name));
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }

 private:
  std::string path_;
};

#endif  // TARNWICK_JOBS_TEST_DIR_H_
