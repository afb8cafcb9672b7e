#include <windows.h>

#include "base/gbk.h"

namespace {
constexpr UINT kGbk = 936;
}

std::wstring GbkToWide(const std::string& gbk) {
  if (gbk.empty()) return std::wstring();
  const int n = MultiByteToWideChar(kGbk, 0, gbk.data(),
                                    static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(kGbk, 0, gbk.data(), static_cast<int>(gbk.size()),
                      &wide[0], n);
  return wide;
}

std::string WideToGbk(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int n = WideCharToMultiByte(kGbk, 0, wide.data(),
                                    static_cast<int>(wide.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string gbk(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kGbk, 0, wide.data(), static_cast<int>(wide.size()),
                      &gbk[0], n, nullptr, nullptr);
  return gbk;
}
