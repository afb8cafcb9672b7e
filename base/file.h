#ifndef TARNWICK_BASE_FILE_H_
#define TARNWICK_BASE_FILE_H_

#include <cstdint>
#include <filesystem>
#include <string>

// The file seam. Paths are std::filesystem::path, which holds the
// platform's own text (wide on Windows): a name travels from the system to
// the file calls unchanged, whatever its characters and the code page.
using FilePath = std::filesystem::path;

// --- Whole files -----------------------------------------------------------

enum class ReadResult {
  kRead,       // the whole file is in *contents
  kNotOpened,  // missing, a folder, or not readable
  kTooLarge,   // larger than the limit given; nothing was read
  kNotRead,    // opened, but reading failed before its end
};

// Reads the whole file at `path` into `*contents` (cleared first), letting
// others read and write it meanwhile. Files larger than `max_bytes` are
// refused without being read. `*error`, when given, says why in English
// when the result is not kRead.
ReadResult ReadFileToString(const FilePath& path, std::string* contents,
                            uint64_t max_bytes = UINT64_MAX,
                            std::string* error = nullptr);

enum class SaveResult {
  kSaved,       // `path` holds exactly the bytes given
  kNotCreated,  // no file could be made in the folder, or it could not be
                // put in place of `path`
  kNotWritten,  // the bytes could not all be written (a full disk)
};

// Replaces the file at `path` with `contents`, never leaving it half
// written: the bytes go to a new temporary file in the same folder, which
// is flushed and only then renamed onto `path`. On any failure `path` holds
// what it held before (or stays absent) and the temporary file is removed.
// The new file keeps the replaced one's permissions (POSIX: its mode, its
// group where allowed, and its owner when run as root; Windows: its
// attributes and security), and is never readable by more users than the
// old one meanwhile. It is a new file: another hard link to the old one
// keeps the old bytes. A symbolic link is followed: the file it names is
// replaced (or made), and the link stays. A device, pipe or socket under
// `path` is written into directly.
// `*error`, when given, says why in English when the result is not kSaved.
SaveResult WriteStringToFileSafely(const FilePath& path,
                                   const std::string& contents,
                                   std::string* error = nullptr);

// Whether the file at `path` (links followed) could be written without
// changing anything now: an existing file must be one this process may
// write (a folder is refused), a missing one must have a folder where files
// can be made. With `replace`, the folder must also let a new file be made
// beside an existing regular one (WriteStringToFileSafely). False, with
// `*why` in English, when not. Windows looks at attributes only; the
// folder's security tells when the file is made.
bool CanWriteFile(const FilePath& path, bool replace, std::string* why);

// Whether `a` and `b` name one file, however they name it: for existing
// files, the same device and inode (POSIX) or volume and file index
// (Windows), so that links and hard links count; for missing ones, the
// same place once links and "." and ".." are resolved (ignoring case on
// Windows). An existing file and a missing one are never the same.
bool SameFile(const FilePath& a, const FilePath& b);

// Whether `path` names an existing regular file, or nothing (where a
// regular file would be made); false for a folder, device, pipe or socket.
bool IsRegularOrMissing(const FilePath& path);

// --- Files kept open -------------------------------------------------------

// An open file. kNoFile means none is open; kBadFile is what a failed
// create leaves behind (writes on it do nothing).
using FileHandle = void*;
constexpr FileHandle kNoFile = nullptr;
extern const FileHandle kBadFile;

// True for a handle that refers to an open file.
inline bool IsOpenFile(FileHandle f) { return f != kNoFile && f != kBadFile; }

// Creates the file, replacing any existing one, for reading and writing,
// letting others write it too. Returns kBadFile on failure.
FileHandle CreateFileAlways(const FilePath& path);

// Opens the file for writing at its end, creating it if needed.
// Returns kBadFile on failure.
FileHandle OpenFileForAppending(const FilePath& path);

// Writes `n` bytes in one call; returns how many were written.
uint32_t WriteFileBytes(FileHandle f, const void* buffer, uint32_t n);

// Closes an open handle; kNoFile and kBadFile are ignored.
void CloseFileHandle(FileHandle f);

// --- Records that must survive a power cut ---------------------------------

// Appends `bytes` to the file at `path` (made when missing) in one write,
// and flushes them to the disk before returning. On failure some of the
// bytes may have reached the file: a record appended this way ends with
// its own line end, so that a reader can tell a torn last line.
SaveResult AppendToFileFlushed(const FilePath& path, const std::string& bytes,
                               std::string* error = nullptr);

// Flushes the folder's entries (names made, renamed or removed in it) to the
// disk, so that a rename survives a power cut. On Windows a rename is written
// through when made (RenameOnto), and this does nothing.
bool FlushFolderToDisk(const FilePath& dir, std::string* error = nullptr);

// Reads the last `n` bytes of the file (all of a shorter one) into *end, and
// its size into *size, without reading the rest.
ReadResult ReadFileEnd(const FilePath& path, uint32_t n, std::string* end,
                       uint64_t* size, std::string* error = nullptr);

// --- Names -----------------------------------------------------------------

// The folder of the running executable.
FilePath ExecutableDirectory();

// A file name kept in the program's GBK text, as the system names files
// (on Windows converted from code page 936; elsewhere the bytes as they are).
FilePath FileNameFromGbk(const std::string& gbk);

// A path given as UTF-8 text (a command-line argument, a settings file).
FilePath PathFromUtf8(const std::string& utf8);

// `path` as UTF-8, for messages. On Windows a name that UTF-16 holds but
// UTF-8 cannot (a lone surrogate) shows U+FFFD in its place.
std::string PathForDisplay(const FilePath& path);

#endif  // TARNWICK_BASE_FILE_H_
