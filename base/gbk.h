#ifndef TARNWICK_BASE_GBK_H_
#define TARNWICK_BASE_GBK_H_

#include <string>

// Conversions between the program's GBK texts (code page 936) and the wide
// strings of the Windows API. They do not depend on the system's code page.

std::wstring GbkToWide(const std::string& gbk);

// Characters GBK cannot hold become "?".
std::string WideToGbk(const std::wstring& wide);

#endif  // TARNWICK_BASE_GBK_H_
