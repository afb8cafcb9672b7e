#include "base/file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "base/format.h"

namespace {

std::string TempPath(const char* name) {
  return ::testing::TempDir() + name;
}

TEST(FileTest, CreateWriteReopenRead) {
  const std::string path = TempPath("file_test.bin");
  FileHandle f = CreateFileAlways(path);
  ASSERT_TRUE(IsOpenFile(f));
  EXPECT_EQ(5u, WriteFileBytes(f, "hello", 5));
  CloseFileHandle(f);

  f = OpenFileForReading(path);
  ASSERT_TRUE(IsOpenFile(f));
  EXPECT_EQ(5u, FileSizeOf(f));
  char buffer[16] = {0};
  EXPECT_EQ(5u, ReadFileBytes(f, buffer, sizeof buffer));
  EXPECT_EQ(std::string("hello"), buffer);
  CloseFileHandle(f);

  f = CreateFileAlways(path);  // replaces the old content
  EXPECT_EQ(0u, FileSizeOf(f));
  CloseFileHandle(f);
  std::remove(path.c_str());
}

TEST(FileTest, AppendingKeepsWhatIsThere) {
  const std::string path = TempPath("file_test_append.txt");
  std::remove(path.c_str());
  for (const char* part : {"one\n", "two\n"}) {
    FileHandle f = OpenFileForAppending(path);
    ASSERT_TRUE(IsOpenFile(f));
    EXPECT_EQ(4u, WriteFileBytes(f, part, 4));
    CloseFileHandle(f);
  }
  FileHandle f = OpenFileForReading(path);
  char buffer[16] = {0};
  EXPECT_EQ(8u, ReadFileBytes(f, buffer, sizeof buffer));
  EXPECT_EQ(std::string("one\ntwo\n"), buffer);
  CloseFileHandle(f);
  std::remove(path.c_str());
}

TEST(FileTest, FailedOpensGiveBadHandlesThatDoNothing) {
  FileHandle f = OpenFileForReading(TempPath("no/such/file"));
  EXPECT_EQ(kBadFile, f);
  EXPECT_FALSE(IsOpenFile(f));
  EXPECT_FALSE(IsOpenFile(kNoFile));
  EXPECT_EQ(kBadFile, CreateFileAlways(TempPath("no/such/dir/x")));
  char byte = 0;
  EXPECT_EQ(0u, WriteFileBytes(f, "x", 1));
  EXPECT_EQ(0u, ReadFileBytes(f, &byte, 1));
  EXPECT_EQ(0u, FileSizeOf(f));
  CloseFileHandle(f);
  CloseFileHandle(kNoFile);
}

TEST(FileTest, ExecutableDirectoryEndsInSeparator) {
  const std::string dir = ExecutableDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ('/', dir.back());
}

TEST(FormatTest, FormatsLikePrintf) {
  EXPECT_EQ("ADDR=FFF,\tDATA=A", Format("ADDR=%X,\tDATA=%X", 0xFFF, 0x0A));
  EXPECT_EQ(std::string(300, 'x'), Format("%s", std::string(300, 'x').c_str()));
  EXPECT_EQ("", Format("%s", ""));
}

}  // namespace
