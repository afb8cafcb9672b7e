#include <windows.h>

#include "base/file.h"
#include "base/gbk.h"
#include "base/module_directory_win32.h"

const FileHandle kBadFile = INVALID_HANDLE_VALUE;

FileHandle OpenFileForReading(const std::string& path) {
  return CreateFileW(GbkToWide(path).c_str(), GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

FileHandle CreateFileAlways(const std::string& path) {
  return CreateFileW(GbkToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                     FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

FileHandle OpenFileForAppending(const std::string& path) {
  return CreateFileW(GbkToWide(path).c_str(), FILE_APPEND_DATA,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

uint32_t FileSizeOf(FileHandle f) {
  if (!IsOpenFile(f)) return 0;
  return GetFileSize(f, nullptr);
}

uint32_t ReadFileBytes(FileHandle f, void* buffer, uint32_t n) {
  DWORD got = 0;
  if (!IsOpenFile(f) || !ReadFile(f, buffer, n, &got, nullptr)) return 0;
  return got;
}

uint32_t WriteFileBytes(FileHandle f, const void* buffer, uint32_t n) {
  DWORD put = 0;
  if (!IsOpenFile(f) || !WriteFile(f, buffer, n, &put, nullptr)) return 0;
  return put;
}

void CloseFileHandle(FileHandle f) {
  if (IsOpenFile(f)) CloseHandle(f);
}

std::string ModuleDirectory(HMODULE module) {
  std::wstring path(32768, L'\0');
  const DWORD n = GetModuleFileNameW(module, &path[0],
                                     static_cast<DWORD>(path.size()));
  path.resize(n);
  return WideToGbk(path.substr(0, path.rfind(L'\\') + 1));
}

std::string ExecutableDirectory() { return ModuleDirectory(nullptr); }
