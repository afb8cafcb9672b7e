#ifndef TARNWICK_BASE_FILE_H_
#define TARNWICK_BASE_FILE_H_

#include <cstdint>
#include <string>

// The file seam: whole-file reads and writes as the program does them.
// Paths are GBK bytes, like every text of the program; on Windows they are
// converted from code page 936 and opened through the wide API, so Chinese
// names work whatever the system's code page is.

// An open file. kNoFile means none is open; kBadFile is what a failed open
// or create leaves behind (reads and writes on it do nothing).
using FileHandle = void*;
constexpr FileHandle kNoFile = nullptr;
extern const FileHandle kBadFile;

// True for a handle that refers to an open file.
inline bool IsOpenFile(FileHandle f) { return f != kNoFile && f != kBadFile; }

// Opens an existing file for reading, letting others read it too.
// Returns kBadFile when it does not exist or cannot be read.
FileHandle OpenFileForReading(const std::string& path);

// Creates the file, replacing any existing one, for reading and writing,
// letting others write it too. Returns kBadFile on failure.
FileHandle CreateFileAlways(const std::string& path);

// Opens the file for writing at its end, creating it if needed.
// Returns kBadFile on failure.
FileHandle OpenFileForAppending(const std::string& path);

// Size in bytes (low 32 bits), or 0 for a handle that is not open.
uint32_t FileSizeOf(FileHandle f);

// Reads up to `n` bytes in one call; returns how many arrived.
uint32_t ReadFileBytes(FileHandle f, void* buffer, uint32_t n);

// Writes `n` bytes in one call; returns how many were written.
uint32_t WriteFileBytes(FileHandle f, const void* buffer, uint32_t n);

// Closes an open handle; kNoFile and kBadFile are ignored.
void CloseFileHandle(FileHandle f);

// The directory of the running executable, ending in its separator.
std::string ExecutableDirectory();

#endif  // TARNWICK_BASE_FILE_H_
