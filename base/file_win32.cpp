#include <windows.h>

#include <cwchar>

#include "base/file.h"
#include "base/file_platform.h"
#include "base/format.h"
#include "base/gbk.h"
#include "base/module_directory_win32.h"

const FileHandle kBadFile = INVALID_HANDLE_VALUE;

namespace {

void SetError(std::string* error, const std::string& what) {
  if (error != nullptr) *error = what;
}

// The system's text for the last error, in English where it has one.
std::string LastErrorText() {
  const DWORD code = ::GetLastError();
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring wide = n > 0 ? std::wstring(text, n) : std::wstring();
  if (text != nullptr) ::LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' ||
                           wide.back() == L'.' || wide.back() == L' '))
    wide.pop_back();
  if (wide.empty()) return Format("system error %lu", code);
  return PathForDisplay(FilePath(wide));
}

bool WriteAll(HANDLE file, const char* bytes, size_t n) {
  while (n > 0) {
    const DWORD chunk = n > 0x40000000 ? 0x40000000 : static_cast<DWORD>(n);
    DWORD put = 0;
    if (!::WriteFile(file, bytes, chunk, &put, nullptr) || put == 0)
      return false;
    bytes += put;
    n -= put;
  }
  return true;
}

// Opens the file at `path` for reading, letting others read and write it,
// its size into *size; INVALID_HANDLE_VALUE, with *error, on failure.
HANDLE OpenToRead(const FilePath& path, LARGE_INTEGER* size,
                  std::string* error) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE && ::GetFileSizeEx(file, size)) return file;
  SetError(error, LastErrorText());
  if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  return INVALID_HANDLE_VALUE;
}

}  // namespace

ReadResult ReadFileToString(const FilePath& path, std::string* contents,
                            uint64_t max_bytes, std::string* error) {
  contents->clear();
  LARGE_INTEGER size;
  HANDLE file = OpenToRead(path, &size, error);
  if (file == INVALID_HANDLE_VALUE) return ReadResult::kNotOpened;
  if (static_cast<uint64_t>(size.QuadPart) > max_bytes) {
    ::CloseHandle(file);
    SetError(error, Format("larger than %llu bytes",
                           static_cast<unsigned long long>(max_bytes)));
    return ReadResult::kTooLarge;
  }
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
      SetError(error, LastErrorText());
      ::CloseHandle(file);
      contents->clear();
      return ReadResult::kNotRead;
    }
    if (got == 0) break;
    contents->append(buffer, got);
    if (contents->size() > max_bytes) {
      ::CloseHandle(file);
      contents->clear();
      SetError(error, Format("larger than %llu bytes",
                             static_cast<unsigned long long>(max_bytes)));
      return ReadResult::kTooLarge;
    }
  }
  ::CloseHandle(file);
  return ReadResult::kRead;
}

// The replaced file's attributes and security reach the new one when it is
// renamed onto it (RenameOnto), so `like` is not needed here.
SaveResult WriteNewFileFlushed(const FilePath& path,
                               const std::string& contents, const FilePath&,
                               std::string* error) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetError(error, LastErrorText());
    return SaveResult::kNotCreated;
  }
  const bool written = WriteAll(file, contents.data(), contents.size()) &&
                       ::FlushFileBuffers(file);
  const std::string why = written ? "" : LastErrorText();
  ::CloseHandle(file);
  if (!written) {
    ::DeleteFileW(path.c_str());
    SetError(error, why);
    return SaveResult::kNotWritten;
  }
  return SaveResult::kSaved;
}

SaveResult WriteIntoExisting(const FilePath& path, const std::string& contents,
                             std::string* error) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetError(error, LastErrorText());
    return SaveResult::kNotCreated;
  }
  const bool written = WriteAll(file, contents.data(), contents.size());
  SetError(error, written ? "" : LastErrorText());
  ::CloseHandle(file);
  return written ? SaveResult::kSaved : SaveResult::kNotWritten;
}

bool RenameOnto(const FilePath& from, const FilePath& to, std::string* error) {
  // ReplaceFile gives the new file the old one's attributes and security;
  // where it cannot (another file system's rules), a plain rename still
  // replaces the file.
  if (::GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES &&
      ::ReplaceFileW(to.c_str(), from.c_str(), nullptr,
                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
    return true;
  if (::MoveFileExW(from.c_str(), to.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  SetError(error, LastErrorText());
  return false;
}

bool GetFileId(const FilePath& path, FileId* id) {
  HANDLE file = ::CreateFileW(
      path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool ok = ::GetFileInformationByHandle(file, &info) != 0;
  ::CloseHandle(file);
  if (!ok) return false;
  id->device = info.dwVolumeSerialNumber;
  id->index = uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow;
  return true;
}

bool SameName(const FilePath& a, const FilePath& b) {
  return ::_wcsicmp(a.c_str(), b.c_str()) == 0;
}

bool MayWriteInto(const FilePath& path, std::string* why) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    *why = LastErrorText();
    return false;
  }
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    *why = "the file is read-only";
    return false;
  }
  return true;
}

bool MayMakeFilesIn(const FilePath& dir, std::string* why) {
  const DWORD attributes = ::GetFileAttributesW(dir.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return true;
  *why = PathForDisplay(dir) + ": not a folder";
  return false;
}

unsigned long CurrentProcessId() { return ::GetCurrentProcessId(); }

FileHandle CreateFileAlways(const FilePath& path) {
  return ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

FileHandle OpenFileForAppending(const FilePath& path) {
  return ::CreateFileW(path.c_str(), FILE_APPEND_DATA,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

uint32_t WriteFileBytes(FileHandle f, const void* buffer, uint32_t n) {
  DWORD put = 0;
  if (!IsOpenFile(f) || !::WriteFile(f, buffer, n, &put, nullptr)) return 0;
  return put;
}

void CloseFileHandle(FileHandle f) {
  if (IsOpenFile(f)) ::CloseHandle(f);
}

FilePath ExecutableDirectory() { return ModuleDirectory(nullptr); }

std::string PathForDisplay(const FilePath& path) {
  const std::wstring& wide = path.native();
  if (wide.empty()) return std::string();
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(),
                                      static_cast<int>(wide.size()), nullptr,
                                      0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                        &utf8[0], n, nullptr, nullptr);
  return utf8;
}

FilePath FileNameFromGbk(const std::string& gbk) {
  return FilePath(GbkToWide(gbk));
}

FilePath PathFromUtf8(const std::string& utf8) {
  if (utf8.empty()) return FilePath();
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(),
                                      static_cast<int>(utf8.size()), nullptr,
                                      0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                        &wide[0], n);
  return FilePath(wide);
}

// --- Records that must survive a power cut ---------------------------------

SaveResult AppendToFileFlushed(const FilePath& path, const std::string& bytes,
                               std::string* error) {
  HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetError(error, LastErrorText());
    return SaveResult::kNotCreated;
  }
  const bool written =
      WriteAll(file, bytes.data(), bytes.size()) && ::FlushFileBuffers(file);
  SetError(error, written ? "" : LastErrorText());
  ::CloseHandle(file);
  return written ? SaveResult::kSaved : SaveResult::kNotWritten;
}

bool FlushFolderToDisk(const FilePath&, std::string*) { return true; }

ReadResult ReadFileEnd(const FilePath& path, uint32_t n, std::string* end,
                       uint64_t* size, std::string* error) {
  end->clear();
  *size = 0;
  LARGE_INTEGER length;
  HANDLE file = OpenToRead(path, &length, error);
  if (file == INVALID_HANDLE_VALUE) return ReadResult::kNotOpened;
  *size = static_cast<uint64_t>(length.QuadPart);
  LARGE_INTEGER from;
  from.QuadPart = static_cast<LONGLONG>(*size > n ? *size - n : 0);
  end->resize(static_cast<size_t>(*size - from.QuadPart));
  DWORD got = 0;
  const bool read =
      ::SetFilePointerEx(file, from, nullptr, FILE_BEGIN) &&
      (end->empty() || ::ReadFile(file, &(*end)[0],
                                  static_cast<DWORD>(end->size()), &got,
                                  nullptr)) &&
      got == end->size();
  if (!read) SetError(error, LastErrorText());
  ::CloseHandle(file);
  if (!read) {
    end->clear();
    return ReadResult::kNotRead;
  }
  return ReadResult::kRead;
}
