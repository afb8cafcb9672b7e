#include "base/file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "base/format.h"

namespace {

// The jobs and board-file tests use the file seam throughout; this pins its
// byte counts and sizes directly.
TEST(FileTest, CreateAppendReopenRead) {
  const std::string path = ::testing::TempDir() + "file_test.bin";
  FileHandle f = CreateFileAlways(path);
  ASSERT_TRUE(IsOpenFile(f));
  EXPECT_EQ(5u, WriteFileBytes(f, "hello", 5));
  CloseFileHandle(f);
  f = OpenFileForAppending(path);
  EXPECT_EQ(2u, WriteFileBytes(f, ", ", 2));
  CloseFileHandle(f);

  f = OpenFileForReading(path);
  EXPECT_EQ(7u, FileSizeOf(f));
  char buffer[16] = {0};
  EXPECT_EQ(7u, ReadFileBytes(f, buffer, sizeof buffer));
  EXPECT_EQ(std::string("hello, "), buffer);
  CloseFileHandle(f);
  std::remove(path.c_str());

  f = OpenFileForReading(path);
  EXPECT_EQ(kBadFile, f);
  EXPECT_EQ(0u, FileSizeOf(f));
  EXPECT_EQ(0u, ReadFileBytes(f, buffer, 1));
  CloseFileHandle(f);
}

TEST(FileTest, ExecutableDirectoryEndsInSeparator) {
  const std::string dir = ExecutableDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ('/', dir.back());
}

TEST(FormatTest, FormatsLikePrintfAtAnyLength) {
  EXPECT_EQ("ADDR=FFF,\tDATA=A", Format("ADDR=%X,\tDATA=%X", 0xFFF, 0x0A));
  EXPECT_EQ(std::string(300, 'x'), Format("%s", std::string(300, 'x').c_str()));
  EXPECT_EQ("", Format("%s", ""));
}

}  // namespace
