#include "production/journal.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <ctime>
#include <regex>
#include <string>

#include "testing/faulty_record_files.h"
#include "testing/files.h"

namespace {

JournalRecord Record(uint32_t chip) {
  JournalRecord r;
  r.time = "2024-05-01T14:03:22+02:00";
  r.chip = chip;
  r.signature = {0x1E, 0x51, 0xFF};
  r.part = "89C51";
  r.result = "pass";
  r.programmed = 4096;
  r.seconds = 12.9;
  return r;
}

class JournalTest : public ::testing::Test {
 protected:
  FilePath path_ = FreshDir() / "run.csv";
  FaultyRecordFiles files_;
  std::string why_;
};

// A new journal gets its header at once; lines follow, with fields that
// need it quoted as RFC 4180 says and UTF-8 kept as it is.
TEST_F(JournalTest, HeaderOnceThenQuotedLines) {
  auto journal = Journal::Open(path_, &files_, &why_);
  ASSERT_NE(nullptr, journal) << why_;
  JournalRecord first = Record(1), second = Record(2);
  first.serial = 1017;
  first.crc32 = 0x0DF1A2B3;
  second.board = "lab \"A\", bench\n2 \xE5\xB7\xA5";
  second.result = "fail";
  second.failed = 2;
  second.first_failure = 0x123;
  ASSERT_TRUE(journal->Append(first, &why_)) << why_;
  ASSERT_TRUE(journal->Append(second, &why_)) << why_;
  ASSERT_NE(nullptr, Journal::Open(path_, &files_, &why_));  // no new header
  EXPECT_EQ("\xEF\xBB\xBF" + std::string(Journal::kHeader) + "\r\n" +
                "2024-05-01T14:03:22+02:00,,1,1E 51 FF,89C51,1017,0DF1A2B3,"
                "pass,4096,0,,12.900\r\n"
                "2024-05-01T14:03:22+02:00,\"lab \"\"A\"\", bench\n2 "
                "\xE5\xB7\xA5\",2,1E 51 FF,89C51,,,fail,4096,2,0123,12.900\r\n",
            Slurp(path_));
}

// A line a power cut left torn (here a full disk) is ended before the
// next, which stands whole on its own line; a journal that cannot be
// written is known when it is opened.
TEST_F(JournalTest, TornLastLineSpoilsNoOther) {
  auto journal = Journal::Open(path_, &files_, &why_);
  ASSERT_NE(nullptr, journal);
  files_.appends_left = 0;
  files_.tear = true;
  EXPECT_FALSE(journal->Append(Record(1), &why_));
  EXPECT_NE(std::string::npos, why_.find("No space left on device")) << why_;
  EXPECT_EQ(nullptr, Journal::Open(path_, &files_, &why_));
  const std::string torn = Slurp(path_);
  ASSERT_NE('\n', torn.back());
  files_.appends_left = -1;
  ASSERT_TRUE(journal->Append(Record(2), &why_)) << why_;
  EXPECT_EQ(torn + "\r\n" + Journal::Line(Record(2)), Slurp(path_));
  EXPECT_EQ(nullptr, Journal::Open(path_ / "x", &files_, &why_));
  EXPECT_NE(std::string::npos, why_.find("cannot write the journal")) << why_;
}

// POSIX time zones count west of UTC as positive: "UTC-8" is +08:00.
TEST(JournalTimeTest, LocalTimeHasItsOffset) {
  const char* zones[][2] = {{"UTC-8", "\\+08:00"}, {"UTC+5:30", "-05:30"},
                            {"UTC0", "\\+00:00"}};
  for (const auto& zone : zones) {
    setenv("TZ", zone[0], 1);
    tzset();
    const std::string now = LocalTimeText();
    EXPECT_TRUE(std::regex_match(
        now, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)" +
                        std::string(zone[1]))))
        << zone[0] << ": " << now;
  }
  unsetenv("TZ");
  tzset();
}

}  // namespace
