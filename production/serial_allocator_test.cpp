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
    why_.clear();
    return SerialAllocator::Open({path_, start, step, last, reuse}, &files_,
                                 &why_);
  }
  uint64_t Take(SerialAllocator& serials) {
    uint64_t n = 0;
    EXPECT_EQ(TakeResult::kTaken, serials.Take(&n, &why_)) << why_;
    return n;
  }

  FilePath path_ = FreshDir() / "serial.txt";
  FaultyRecordFiles files_;
  std::string why_;
};

// The file is made only when the first number is taken, and names the
// next number before a number is handed out.
TEST_F(SerialAllocatorTest, StartsMissingFileAndAdvancesItFirst) {
  EXPECT_EQ(nullptr, Open(std::nullopt));
  EXPECT_NE(std::string::npos, why_.find("does not exist")) << why_;
  auto serials = Open(1000, 5);
  ASSERT_NE(nullptr, serials) << why_;
  EXPECT_FALSE(std::filesystem::exists(path_));
  EXPECT_EQ(1000u, Take(*serials));
  EXPECT_EQ("1005\n", Slurp(path_));
  EXPECT_EQ(1005u, Take(*serials));
  EXPECT_EQ("1010\n", Slurp(path_));
  EXPECT_EQ(1010u, serials->FileNext());
}

TEST_F(SerialAllocatorTest, RefusesBeforeWritingAnything) {
  Spill(path_, "1017\r\n");
  EXPECT_EQ(nullptr, Open(1000));
  EXPECT_NE(std::string::npos, why_.find("holds 1017, not the start 1000"))
      << why_;
  EXPECT_EQ(nullptr, Open(1017, 0));
  EXPECT_EQ(nullptr, Open(std::nullopt, 1, 999));
  EXPECT_NE(std::string::npos, why_.find("does not fit")) << why_;
  for (const char* bad : {"", "12a\n", "1\n2\n", "99999999999999999999\n"}) {
    Spill(path_, bad);
    EXPECT_EQ(nullptr, Open(std::nullopt)) << bad;
    EXPECT_NE(std::string::npos, why_.find("does not hold one decimal number"))
        << bad << ": " << why_;
    EXPECT_EQ(bad, Slurp(path_));
  }
  Spill(path_, "1017\n");
  auto first = Open(1017);
  ASSERT_NE(nullptr, first) << why_;
  EXPECT_EQ(nullptr, Open(std::nullopt));
  EXPECT_NE(std::string::npos, why_.find("is in use by another run: process"))
      << why_;
  first.reset();
  EXPECT_NE(nullptr, Open(std::nullopt)) << why_;
}

// A file that cannot be advanced hands out nothing, and the number is not
// lost: the next take that can write it gets it.
TEST_F(SerialAllocatorTest, NothingIsHandedOutUnlessRecorded) {
  auto serials = Open(7);
  ASSERT_NE(nullptr, serials);
  files_.replaces_left = 0;
  uint64_t n = 0;
  EXPECT_EQ(TakeResult::kNotRecorded, serials->Take(&n, &why_));
  EXPECT_NE(std::string::npos, why_.find("No space left on device")) << why_;
  EXPECT_FALSE(std::filesystem::exists(path_));
  files_.replaces_left = -1;
  EXPECT_EQ(7u, Take(*serials));
  EXPECT_EQ("8\n", Slurp(path_));
}

TEST_F(SerialAllocatorTest, RangeEndsAndFailedNumbersComeBackWithReuse) {
  for (bool reuse : {false, true}) {
    std::filesystem::remove(path_);
    auto serials = Open(98, 1, 99, reuse);
    ASSERT_NE(nullptr, serials);
    const uint64_t first = Take(*serials);
    serials->Failed(first);
    EXPECT_EQ(reuse ? 98u : 99u, Take(*serials));
    EXPECT_EQ(reuse ? 99u : 100u, serials->FileNext());
    if (reuse) {
      EXPECT_EQ(99u, Take(*serials));
    }
    uint64_t n = 0;
    EXPECT_EQ(TakeResult::kUsedUp, serials->Take(&n, &why_));
    EXPECT_NE(std::string::npos, why_.find("have run out")) << why_;
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
      for (int i = 0; i < 25; ++i) {
        uint64_t n = 0;
        if (serials->Take(&n, &why) == TakeResult::kTaken) mine.push_back(n);
      }
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
