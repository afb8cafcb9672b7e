#include "base/file.h"

#include <atomic>
#include <system_error>

#include "base/file_platform.h"
#include "base/format.h"

namespace {

// Symbolic links followed at most, as the kernel allows.
constexpr int kMaxLinks = 40;

// The file `path` names in the end: symbolic links followed, each relative
// one from its own folder. A link to a missing file names that file.
FilePath FollowLinks(FilePath path) {
  std::error_code ec;
  for (int n = 0; n < kMaxLinks && std::filesystem::is_symlink(path, ec);
       ++n) {
    const FilePath target = std::filesystem::read_symlink(path, ec);
    if (ec) break;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return path;
}

// Where a file at `path` is or would be: links followed, absolute, with
// "." and ".." resolved.
FilePath WhereItWouldBe(const FilePath& path) {
  std::error_code ec;
  FilePath where = std::filesystem::absolute(FollowLinks(path), ec);
  if (ec) where = path;
  const FilePath canonical = std::filesystem::weakly_canonical(where, ec);
  return ec ? where.lexically_normal() : canonical;
}

}  // namespace

SaveResult WriteStringToFileSafely(const FilePath& path,
                                   const std::string& contents,
                                   std::string* error) {
  // Replacing a link would cut it: the file it names is replaced instead,
  // its temporary file beside it.
  const FilePath target = FollowLinks(path);
  // A device, pipe or socket (/dev/stdout, a FIFO) is written into as it
  // is: it cannot be replaced, and renaming a file onto it would remove it.
  std::error_code ec;
  const std::filesystem::file_type type =
      std::filesystem::status(target, ec).type();
  if (type == std::filesystem::file_type::character ||
      type == std::filesystem::file_type::block ||
      type == std::filesystem::file_type::fifo ||
      type == std::filesystem::file_type::socket) {
    return WriteIntoExisting(target, contents, error);
  }
  static std::atomic<unsigned> serial{0};
  FilePath temp = target;
  temp += Format(".tarnwick-%lu-%u.tmp", CurrentProcessId(),
                 serial.fetch_add(1));
  // Flushed before the rename, so that a crash cannot leave `path` naming
  // a file whose bytes never reached the disk.
  const SaveResult written = WriteNewFileFlushed(
      temp, contents,
      type == std::filesystem::file_type::regular ? target : FilePath(),
      error);
  if (written != SaveResult::kSaved) return written;
  if (!RenameOnto(temp, target, error)) {
    std::filesystem::remove(temp, ec);
    return SaveResult::kNotCreated;
  }
  return SaveResult::kSaved;
}

bool CanWriteFile(const FilePath& path, bool replace, std::string* why) {
  // The system follows links itself where the file exists (/dev/stdout
  // included); a missing one is made where its links lead.
  std::error_code ec;
  const std::filesystem::file_type type =
      std::filesystem::status(path, ec).type();
  FilePath folder = FollowLinks(path).parent_path();
  if (folder.empty()) folder = ".";
  if (type == std::filesystem::file_type::directory) {
    *why = "it is a folder";
    return false;
  }
  if (type == std::filesystem::file_type::not_found) {
    if (!std::filesystem::is_directory(folder, ec)) {
      *why = "there is no folder " + PathForDisplay(folder);
      return false;
    }
    return MayMakeFilesIn(folder, why);
  }
  if (ec) {
    *why = ec.message();
    return false;
  }
  if (!MayWriteInto(path, why)) return false;
  return !replace || type != std::filesystem::file_type::regular ||
         MayMakeFilesIn(folder, why);
}

bool SameFile(const FilePath& a, const FilePath& b) {
  FileId id_a, id_b;
  const bool has_a = GetFileId(a, &id_a);
  const bool has_b = GetFileId(b, &id_b);
  if (has_a || has_b) {
    return has_a && has_b && id_a.device == id_b.device &&
           id_a.index == id_b.index;
  }
  return SameName(WhereItWouldBe(a), WhereItWouldBe(b));
}

bool IsRegularOrMissing(const FilePath& path) {
  std::error_code ec;
  const std::filesystem::file_type type =
      std::filesystem::status(path, ec).type();
  return type == std::filesystem::file_type::regular ||
         type == std::filesystem::file_type::not_found;
}
