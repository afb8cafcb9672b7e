#include "production/serial_allocator.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "testing/faulty_record_files.h"
#include "testing/files.h"

namespace {

class SerialAllocatorTest : public ::testing::Test {
 protected:
  std::unique_ptr<SerialAllocator> Open(std::optional<uint64_t> start,
                                        uint64_t step = 1,
                                        uint64_t last = UINT64_MAX,
                                        bool reuse = false) {
    return SerialAllocator::Open({path_, start, step, last, reuse}, &files_,
                                 &why_);
  }
  TakeResult Take(SerialAllocator& serials) {
    return serials.Take(&taken_, &why_);
  }
  bool Said(const char* words) const {
    return why_.find(words) != std::string::npos;
  }

  FilePath path_ = FreshDir() / "serial.txt";
  FaultyRecordFiles files_;
  std::string why_;
  uint64_t taken_ = 0;
};

// The file is made when the first number is taken, and names the next
// number before one is handed out: one it cannot write hands out nothing.
TEST_F(SerialAllocatorTest, FileNamesTheNextNumberBeforeOneIsHandedOut) {
  EXPECT_EQ(nullptr, Open(std::nullopt));
  EXPECT_TRUE(Said("does not exist")) << why_;
  auto serials = Open(1000, 5);
  ASSERT_NE(nullptr, serials) << why_;
  EXPECT_FALSE(std::filesystem::exists(path_));
  files_.replaces_left = 0;
  EXPECT_EQ(TakeResult::kNotRecorded, Take(*serials));
  EXPECT_TRUE(Said("No space left on device")) << why_;
  EXPECT_FALSE(std::filesystem::exists(path_));
  files_.replaces_left = -1;
  EXPECT_EQ(TakeResult::kTaken, Take(*serials));
  EXPECT_EQ(1000u, taken_);
  EXPECT_EQ("1005\n", Slurp(path_));
  EXPECT_EQ(TakeResult::kTaken, Take(*serials));
  EXPECT_EQ(1005u, taken_);
  EXPECT_EQ(1010u, serials->FileNext());
}

TEST_F(SerialAllocatorTest, RefusesBeforeWritingAnything) {
  Spill(path_, "1017\r\n");
  EXPECT_EQ(nullptr, Open(1000));
  EXPECT_TRUE(Said("holds 1017, not the start 1000")) << why_;
  EXPECT_EQ(nullptr, Open(1017, 0));
  EXPECT_EQ(nullptr, Open(std::nullopt, 1, 999));
  EXPECT_TRUE(Said("does not fit")) << why_;
  for (const char* bad : {"", "12a\n", "1\n2\n", "99999999999999999999\n"}) {
    Spill(path_, bad);
    EXPECT_EQ(nullptr, Open(std::nullopt)) << bad;
    EXPECT_TRUE(Said("does not hold one decimal number")) << bad << why_;
    EXPECT_EQ(bad, Slurp(path_));
  }
  Spill(path_, "1017\n");
  auto first = Open(1017);
  ASSERT_NE(nullptr, first) << why_;
  EXPECT_EQ(nullptr, Open(std::nullopt));
  EXPECT_TRUE(Said("is in use by another run: process")) << why_;
  first.reset();
  EXPECT_NE(nullptr, Open(std::nullopt)) << why_;
}

TEST_F(SerialAllocatorTest, RangeEndsAndFailedNumbersComeBackWithReuse) {
  for (bool reuse : {false, true}) {
    std::filesystem::remove(path_);
    auto serials = Open(98, 1, 99, reuse);
    ASSERT_NE(nullptr, serials);
    std::vector<uint64_t> numbers;
    while (Take(*serials) == TakeResult::kTaken) {
      numbers.push_back(taken_);
      if (numbers.size() == 1) serials->Failed(taken_);
    }
    const std::vector<uint64_t> want =
        reuse ? std::vector<uint64_t>{98, 98, 99} : std::vector<uint64_t>{98, 99};
    EXPECT_EQ(want, numbers);
    EXPECT_TRUE(Said("have run out")) << why_;
    EXPECT_EQ("100\n", Slurp(path_));
  }
}

// Boards of one run draw from one allocator on their own threads.
TEST_F(SerialAllocatorTest, ThreadsNeverGetTheSameNumber) {
  auto serials = Open(1);
  ASSERT_NE(nullptr, serials);
  std::vector<std::vector<uint64_t>> taken(4);
  std::vector<std::thread> boards;
  for (auto& mine : taken) {
    boards.emplace_back([&serials, &mine] {
      std::string why;
      uint64_t n = 0;
      for (int i = 0; i < 25; ++i)
        if (serials->Take(&n, &why) == TakeResult::kTaken) mine.push_back(n);
    });
  }
  for (std::thread& board : boards) board.join();
  std::set<uint64_t> all;
  for (const auto& mine : taken) all.insert(mine.begin(), mine.end());
  EXPECT_EQ(100u, all.size());
  EXPECT_EQ(100u, *all.rbegin());
  EXPECT_EQ("101\n", Slurp(path_));
}

}  // namespace
