#ifndef TARNWICK_TESTING_FILES_H_
#define TARNWICK_TESTING_FILES_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// A fresh, empty folder named after the running test (and `name`).
inline std::filesystem::path FreshDir(const std::string& name = "") {
  const ::testing::TestInfo* test =
      ::testing::UnitTest::GetInstance()->current_test_info();
  const std::filesystem::path dir =
      std::filesystem::path(::testing::TempDir()) /
      ("tarnwick-" + std::string(test->test_suite_name()) + "." + test->name() +
       name);
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
