#ifndef TARNWICK_TESTING_FAULTY_RECORD_FILES_H_
#define TARNWICK_TESTING_FAULTY_RECORD_FILES_H_

#include <atomic>
#include <string>

#include "production/record_files.h"

// The real record files, failing as a full disk would once the given number
// of replaces or appends (negative: never) have succeeded. A failing append
// may first tear: write the first half of its bytes.
struct FaultyRecordFiles : RecordFiles {
  std::atomic<int> replaces_left{-1};
  std::atomic<int> appends_left{-1};
  bool tear = false;

  ReadResult Read(const FilePath& path, uint64_t max_bytes,
                  std::string* contents, std::string* error) override {
    return RealRecordFiles()->Read(path, max_bytes, contents, error);
  }
  bool Replace(const FilePath& path, const std::string& contents,
               std::string* error) override {
    if (Spent(replaces_left)) return Full(error);
    return RealRecordFiles()->Replace(path, contents, error);
  }
  ReadResult End(const FilePath& path, uint32_t n, std::string* end,
                 uint64_t* size, std::string* error) override {
    return RealRecordFiles()->End(path, n, end, size, error);
  }
  bool Append(const FilePath& path, const std::string& bytes,
              std::string* error) override {
    if (!Spent(appends_left))
      return RealRecordFiles()->Append(path, bytes, error);
    if (tear) RealRecordFiles()->Append(path, bytes.substr(0, bytes.size() / 2),
                                        error);
    return Full(error);
  }

 private:
  static bool Spent(std::atomic<int>& left) {
    int n = left.load();
    while (n > 0 && !left.compare_exchange_weak(n, n - 1)) {
    }
    return n == 0;
  }
  static bool Full(std::string* error) {
    *error = "No space left on device";
    return false;
  }
};

#endif  // TARNWICK_TESTING_FAULTY_RECORD_FILES_H_
