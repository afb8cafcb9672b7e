#ifndef TARNWICK_TESTING_FILES_H_
#define TARNWICK_TESTING_FILES_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "base/board_lock.h"

// Removes the lock files BoardLock made for the resources `names`.
inline void RemoveLockFiles(const std::vector<std::string>& names) {
  std::error_code ec;
  for (const std::string& name : names) {
    for (const std::filesystem::path& dir :
         {std::filesystem::path("/run/lock"),
          std::filesystem::temp_directory_path(ec)})
      std::filesystem::remove(dir / ("tarnwick-" + name + ".lock"), ec);
  }
}

// The folder of this run of the test program, unique to its process, so
// that two runs at once share no folder and no simulated board's lock.
// When the program ends with every test passed, it goes, with the lock
// files of the boards kept in it; otherwise it stays for a look.
inline const std::filesystem::path& TestRunDir() {
  struct RunDir {
    std::filesystem::path path =
        std::filesystem::path(::testing::TempDir()) /
        ("tarnwick-test-" + std::to_string(getpid()));
    ~RunDir() {
      if (!::testing::UnitTest::GetInstance()->Passed()) return;
      std::error_code ec;
      for (auto it = std::filesystem::recursive_directory_iterator(path, ec);
           !ec && it != std::filesystem::recursive_directory_iterator();
           it.increment(ec)) {
        if (it->is_directory(ec))
          RemoveLockFiles(BoardLock::ResourcesOfFolder(it->path()));
      }
      std::filesystem::remove_all(path, ec);
    }
  };
  static const RunDir run;
  return run.path;
}

// A fresh, empty folder of this run named after the running test (and
// `name`).
inline std::filesystem::path FreshDir(const std::string& name = "") {
  const ::testing::TestInfo* test =
      ::testing::UnitTest::GetInstance()->current_test_info();
  const std::filesystem::path dir =
      TestRunDir() / (std::string(test->test_suite_name()) + "." +
                      test->name() + name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

// The file's bytes; empty when it cannot be read.
inline std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Makes the file at `path` hold `bytes`, and its folders exist.
inline void Spill(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

#endif  // TARNWICK_TESTING_FILES_H_
