#ifndef TARNWICK_BASE_FILE_PLATFORM_H_
#define TARNWICK_BASE_FILE_PLATFORM_H_

#include <cstdint>
#include <string>

#include "base/file.h"

// What the portable file procedures need from each platform
// (file_posix.cpp, file_win32.cpp). Each fills `*error`, when given, with
// the system's reason in English when it fails.

// Creates `path`, which must not exist yet, writes `contents` into it,
// flushes them to the disk and closes it. With `like` naming an existing
// file, the new one gets its permissions (POSIX: mode, group, owner as
// root) before any byte is written. On failure the file is removed.
SaveResult WriteNewFileFlushed(const FilePath& path,
                               const std::string& contents,
                               const FilePath& like, std::string* error);

// Writes `contents` into the existing file, device or pipe at `path` as it
// is, without creating, truncating or replacing it.
SaveResult WriteIntoExisting(const FilePath& path, const std::string& contents,
                             std::string* error);

// Renames `from` onto `to`, replacing the file there in one step (on
// Windows, keeping the replaced file's attributes and security).
bool RenameOnto(const FilePath& from, const FilePath& to, std::string* error);

// The identity of an existing file (links followed); false when `path`
// names nothing that can be opened.
struct FileId {
  uint64_t device = 0, index = 0;
};
bool GetFileId(const FilePath& path, FileId* id);

// Whether this process may write into the existing file at `path`, and
// make files in the folder `dir`; false with *why (English) when not.
bool MayWriteInto(const FilePath& path, std::string* why);
bool MayMakeFilesIn(const FilePath& dir, std::string* why);

// Whether two names of missing files, made absolute and normal, are one
// name (ignoring case on Windows).
bool SameName(const FilePath& a, const FilePath& b);

// The running process's id, for names no other process picks.
unsigned long CurrentProcessId();

#endif  // TARNWICK_BASE_FILE_PLATFORM_H_
