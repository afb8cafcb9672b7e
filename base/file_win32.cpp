#include <windows.h>

#include "base/file.h"
#include "base/gbk.h"

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

std::string ExecutableDirectory() {
  wchar_t path[MAX_PATH + 1] = {0};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring full(path, n);
  return WideToGbk(full.substr(0, full.rfind(L'\\') + 1));
}
