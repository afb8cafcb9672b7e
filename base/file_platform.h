#ifndef TARNWICK_BASE_FILE_PLATFORM_H_
#define TARNWICK_BASE_FILE_PLATFORM_H_

#include <string>

#include "base/file.h"

// What the portable file procedures need from each platform
// (file_posix.cpp, file_win32.cpp). Each fills `*error`, when given, with
// the system's reason in English when it fails.

// Creates `path`, which must not exist yet, writes `contents` into it,
// flushes them to the disk and closes it. On failure the file is removed.
SaveResult WriteNewFileFlushed(const FilePath& path,
                               const std::string& contents,
                               std::string* error);

// Writes `contents` into the existing file, device or pipe at `path` as it
// is, without creating, truncating or replacing it.
SaveResult WriteIntoExisting(const FilePath& path, const std::string& contents,
                             std::string* error);

// Renames `from` onto `to`, replacing the file there in one step.
bool RenameOnto(const FilePath& from, const FilePath& to, std::string* error);

// The running process's id, for names no other process picks.
unsigned long CurrentProcessId();

#endif  // TARNWICK_BASE_FILE_PLATFORM_H_
