#include "base/file.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "base/format.h"
#include "testing/files.h"

namespace {

namespace fs = std::filesystem;

// The names in `dir`, sorted.
std::vector<std::string> Names(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Runs `body` in a child process and returns what it returned, so that a
// test can change the process's limits or user without keeping them.
bool InChild(const std::function<bool()>& body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body() ? 0 : 1);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Drops root for the user and group nobody, with no other groups.
bool BecomeNobody() {
  return setgroups(0, nullptr) == 0 && setgid(65534) == 0 &&
         setuid(65534) == 0;
}

TEST(FileTest, ReadFileToStringResults) {
  const fs::path dir = FreshDir("file_read");
  std::ofstream(dir / "five.bin", std::ios::binary) << std::string("ab\0cd", 5);
  std::string text = "old";
  std::string error;
  EXPECT_EQ(ReadResult::kRead, ReadFileToString(dir / "five.bin", &text));
  EXPECT_EQ(std::string("ab\0cd", 5), text);
  EXPECT_EQ(ReadResult::kRead, ReadFileToString(dir / "five.bin", &text, 5));

  EXPECT_EQ(ReadResult::kTooLarge,
            ReadFileToString(dir / "five.bin", &text, 4, &error));
  EXPECT_EQ("", text);
  EXPECT_EQ("larger than 4 bytes", error);

  EXPECT_EQ(ReadResult::kNotOpened,
            ReadFileToString(dir / "missing.bin", &text, 4096, &error));
  EXPECT_EQ("No such file or directory", error);
  EXPECT_EQ(ReadResult::kNotOpened, ReadFileToString(dir, &text));
}

TEST(FileTest, SafeWriteCreatesAndReplacesWhole) {
  const fs::path dir = FreshDir("file_save");
  const fs::path path = dir / "image.bin";
  EXPECT_EQ(SaveResult::kSaved, WriteStringToFileSafely(path, "first"));
  EXPECT_EQ("first", Slurp(path));
  EXPECT_EQ(SaveResult::kSaved, WriteStringToFileSafely(path, ""));
  EXPECT_EQ("", Slurp(path));
  EXPECT_EQ(SaveResult::kSaved,
            WriteStringToFileSafely(path, std::string(4096, '\xA5')));
  EXPECT_EQ(std::string(4096, '\xA5'), Slurp(path));
  EXPECT_EQ(std::vector<std::string>{"image.bin"}, Names(dir));
}

// A link stays a link and the file it names is replaced (or made), its
// temporary file beside it; a FIFO is written into, not replaced.
TEST(FileTest, SafeWriteFollowsLinksAndWritesIntoPipes) {
  const fs::path dir = FreshDir("file_save_links");
  fs::create_directories(dir / "target");
  std::ofstream(dir / "target" / "real.bin") << "old";
  fs::create_symlink("target/real.bin", dir / "link.bin");
  fs::create_symlink("link.bin", dir / "link2.bin");
  fs::create_symlink(dir / "target" / "new.bin", dir / "dangling.bin");
  for (const char* name : {"link.bin", "link2.bin", "dangling.bin"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(SaveResult::kSaved, WriteStringToFileSafely(dir / name, name));
    EXPECT_TRUE(fs::is_symlink(dir / name));
    EXPECT_EQ(name, Slurp(dir / name));
  }
  EXPECT_EQ("link2.bin", Slurp(dir / "target" / "real.bin"));
  EXPECT_EQ((std::vector<std::string>{"new.bin", "real.bin"}),
            Names(dir / "target"));

  const fs::path fifo = dir / "fifo";
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  std::string got;
  std::thread reader([&] { got = Slurp(fifo); });
  EXPECT_EQ(SaveResult::kSaved, WriteStringToFileSafely(fifo, "piped"));
  reader.join();
  EXPECT_EQ("piped", got);
  EXPECT_EQ(fs::file_type::fifo, fs::status(fifo).type());
}

// Every failure leaves the chosen name as it was and no other file.
TEST(FileTest, FailedSafeWriteKeepsTheOldFileAndLeavesNothing) {
  const fs::path dir = FreshDir("file_save_fail");
  const fs::path path = dir / "image.bin";
  std::ofstream(path, std::ios::binary) << "old image";
  std::string error;

  // A full disk: the file-size limit makes every write past 100 bytes fail
  // as a full filesystem would.
  EXPECT_TRUE(InChild([&] {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{100, 100};
    return setrlimit(RLIMIT_FSIZE, &limit) == 0 &&
           WriteStringToFileSafely(path, std::string(4096, 'x')) ==
               SaveResult::kNotWritten;
  }));
  EXPECT_EQ("old image", Slurp(path));
  EXPECT_EQ(std::vector<std::string>{"image.bin"}, Names(dir));

  // A folder where nothing may be created (permissions apply to nobody,
  // not to root).
  fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read |
                           fs::perms::group_exec | fs::perms::others_read |
                           fs::perms::others_exec);
  EXPECT_TRUE(InChild([&] {
    return setuid(65534) == 0 &&
           WriteStringToFileSafely(path, "new") == SaveResult::kNotCreated;
  }));
  EXPECT_EQ("old image", Slurp(path));

  // A name that is a folder cannot be replaced by a file.
  fs::create_directory(dir / "sub");
  EXPECT_EQ(SaveResult::kNotCreated,
            WriteStringToFileSafely(dir / "sub", "new", &error));
  EXPECT_EQ("Is a directory", error);
  EXPECT_EQ(SaveResult::kNotCreated,
            WriteStringToFileSafely(dir / "no-such-dir" / "a.bin", "new"));
  EXPECT_EQ((std::vector<std::string>{"image.bin", "sub"}), Names(dir));
  EXPECT_TRUE(fs::is_empty(dir / "sub"));
}

// The new file keeps the old one's mode, owner and group (root may give
// them all; another user keeps the group only where it belongs to it, else
// the group may do no more than others); a hard link keeps the old bytes.
TEST(FileTest, SafeWriteKeepsPermissionsAndCutsHardLinks) {
  const fs::path dir = FreshDir();
  const fs::path path = dir / "private.bin";
  for (const mode_t mode : {0600, 0640, 0755, 02750}) {
    SCOPED_TRACE(mode);
    Spill(path, "old");
    ASSERT_EQ(0, chown(path.c_str(), 65534, 65534));
    ASSERT_EQ(0, chmod(path.c_str(), mode));
    ASSERT_EQ(SaveResult::kSaved, WriteStringToFileSafely(path, "new"));
    struct stat st;
    ASSERT_EQ(0, stat(path.c_str(), &st));
    EXPECT_EQ(mode, st.st_mode & 07777);
    EXPECT_EQ(65534u, st.st_uid);
    EXPECT_EQ(65534u, st.st_gid);
  }
  // Not root, and not of the file's group: the group gets the others' rights.
  ASSERT_EQ(0, chown(dir.c_str(), 65534, 0));
  ASSERT_EQ(0, chown(path.c_str(), 65534, 0));
  ASSERT_EQ(0, chmod(path.c_str(), 0640));
  EXPECT_TRUE(InChild([&] {
    struct stat st;
    return BecomeNobody() &&
           WriteStringToFileSafely(path, "x") == SaveResult::kSaved &&
           stat(path.c_str(), &st) == 0 && st.st_gid == 65534 &&
           (st.st_mode & 07777) == 0600;
  }));

  Spill(dir / "a.bin", "old");
  ASSERT_EQ(0, link((dir / "a.bin").c_str(), (dir / "b.bin").c_str()));
  ASSERT_EQ(SaveResult::kSaved, WriteStringToFileSafely(dir / "a.bin", "new"));
  EXPECT_EQ("new", Slurp(dir / "a.bin"));
  EXPECT_EQ("old", Slurp(dir / "b.bin"));
}

// The temporary file is made beside the file it replaces, whatever the
// working folder and TMPDIR: a rename does not cross file systems.
TEST(FileTest, SafeWriteOnAnotherFileSystemThanTheTemporaryFolder) {
  const fs::path here = FreshDir();
  const fs::path there =
      Format("/dev/shm/tarnwick-%ld", static_cast<long>(getpid()));
  struct stat a, b;
  if (stat("/dev/shm", &b) != 0 || stat(here.c_str(), &a) != 0 ||
      a.st_dev == b.st_dev)
    GTEST_SKIP() << "no second file system at /dev/shm";
  fs::create_directories(there);
  Spill(there / "fw.hex", "old");
  EXPECT_TRUE(InChild([&] {
    setenv("TMPDIR", here.c_str(), 1);
    return chdir(here.c_str()) == 0 &&
           WriteStringToFileSafely(there / "fw.hex", "new") ==
               SaveResult::kSaved;
  }));
  EXPECT_EQ("new", Slurp(there / "fw.hex"));
  fs::remove_all(there);
}

// One file by any name: paths, links and hard links; missing names by
// where they would be made.
TEST(FileTest, SameFileByAnyName) {
  const fs::path dir = FreshDir();
  Spill(dir / "sub" / "a.txt", "a");
  Spill(dir / "b.txt", "b");
  fs::create_symlink("sub/a.txt", dir / "link");
  fs::create_symlink("missing.txt", dir / "dangling");
  ASSERT_EQ(0, link((dir / "sub/a.txt").c_str(), (dir / "hard").c_str()));
  const struct {
    fs::path a, b;
    bool same;
  } cases[] = {
      {dir / "sub/a.txt", dir / "sub/../sub/./a.txt", true},
      {dir / "sub/a.txt", dir / "link", true},
      {dir / "hard", dir / "link", true},
      {dir / "b.txt", dir / "sub/a.txt", false},
      {dir / "new.txt", dir / "sub/../new.txt", true},
      {dir / "dangling", dir / "missing.txt", true},
      {dir / "new.txt", dir / "missing.txt", false},
      {dir / "b.txt", dir / "missing.txt", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.same, SameFile(c.a, c.b)) << c.a << " " << c.b;
    EXPECT_EQ(c.same, SameFile(c.b, c.a)) << c.b << " " << c.a;
  }
  EXPECT_TRUE(IsRegularOrMissing(dir / "link"));
  EXPECT_TRUE(IsRegularOrMissing(dir / "dangling"));
  EXPECT_FALSE(IsRegularOrMissing(dir / "sub"));
  EXPECT_FALSE(IsRegularOrMissing("/dev/null"));
}

// A file made anew replaces the old one, and appends go at its end. (The
// flushed records are checked through the journal.)
TEST(FileTest, CreateAndAppend) {
  const fs::path dir = FreshDir("file_append");
  Spill(dir / "log.txt", "an older log");
  FileHandle f = CreateFileAlways(dir / "log.txt");
  EXPECT_EQ(5u, WriteFileBytes(f, "hello", 5));
  CloseFileHandle(f);
  f = OpenFileForAppending(dir / "log.txt");
  EXPECT_EQ(2u, WriteFileBytes(f, ", ", 2));
  CloseFileHandle(f);
  EXPECT_EQ("hello, ", Slurp(dir / "log.txt"));

  f = CreateFileAlways(dir / "no-such-dir" / "log.txt");
  EXPECT_EQ(kBadFile, f);
  EXPECT_EQ(0u, WriteFileBytes(f, "x", 1));
  CloseFileHandle(f);
  EXPECT_FALSE(FlushFolderToDisk(dir / "none"));
}

TEST(FileTest, ExecutableDirectoryHoldsThisTest) {
  EXPECT_TRUE(fs::exists(ExecutableDirectory() / "base_test"));
}

TEST(FormatTest, FormatsLikePrintfAtAnyLength) {
  EXPECT_EQ("ADDR=FFF,\tDATA=A", Format("ADDR=%X,\tDATA=%X", 0xFFF, 0x0A));
  EXPECT_EQ(std::string(300, 'x'), Format("%s", std::string(300, 'x').c_str()));
  EXPECT_EQ("", Format("%s", ""));
}

}  // namespace
