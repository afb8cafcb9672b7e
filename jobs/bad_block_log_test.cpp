#include "jobs/bad_block_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jobs/job_test_rig.h"

namespace {

// The GBK bytes of the log's name and start line (iconv -f UTF-8 -t GBK).
const std::string kNameGbk = "\xBB\xB5\xBF\xE9\xBC\xC7\xC2\xBC.txt";
const std::string kStartGbk =
    "\xBB\xB5\xBF\xE9\xBC\xC7\xC2\xBC\xBF\xAA\xCA\xBC:\r\n";

using BadBlockLogTest = JobTest;

TEST_F(BadBlockLogTest, FirstAppendCreatesLaterAppendsAddExactBytes) {
  EXPECT_EQ(kNameGbk, kBadBlockLogName);
  dir_.Write(kNameGbk, "an older run's log, longer than the new one\r\n");
  const std::string dir = dir_.Path();
  EXPECT_EQ(0, AppendBadBlockLog(link_, host_, dir, "坏块记录开始:\r\n"));
  EXPECT_TRUE(IsOpenFile(link_.m_hLogFile));
  EXPECT_EQ(1, AppendBadBlockLog(link_, host_, dir, "a\r\n"));
  EXPECT_EQ(1, AppendBadBlockLog(link_, host_, dir, ""));
  EXPECT_EQ(1, AppendBadBlockLog(link_, host_, dir, std::string("\0z", 2)));
  CloseBadBlockLog(link_);
  EXPECT_EQ(kNoFile, link_.m_hLogFile);
  EXPECT_EQ(kStartGbk + "a\r\n" + std::string("\0z", 2), dir_.Read(kNameGbk));
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(BadBlockLogTest, FailedCreationToldOnceThenAppendsWriteNowhere) {
  const std::string missing = dir_.Path("no-such-dir/");
  EXPECT_EQ(0, AppendBadBlockLog(link_, host_, missing, "x"));
  EXPECT_EQ(kBadFile, link_.m_hLogFile);
  EXPECT_EQ(1, AppendBadBlockLog(link_, host_, missing, "y"));
  EXPECT_EQ(1, AppendBadBlockLog(link_, host_, missing, "z"));
  EXPECT_EQ(std::vector<std::string>{"Could not creat *.*."}, host_.messages);
  CloseBadBlockLog(link_);
  EXPECT_EQ(kNoFile, link_.m_hLogFile);
  // The next run tries again, and is told again.
  EXPECT_EQ(0, AppendBadBlockLog(link_, host_, missing, "x"));
  EXPECT_EQ(2u, host_.messages.size());
  CloseBadBlockLog(link_);
}

}  // namespace
