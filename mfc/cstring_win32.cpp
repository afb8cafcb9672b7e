#include <windows.h>

#include "base/gbk.h"
#include "mfc/cstring.h"

bool CString::LoadString(unsigned nID) {
  // The string table holds UTF-16 text; read it in place and convert, so
  // the result does not depend on the system's code page.
  const wchar_t* text = nullptr;
  const int n = ::LoadStringW(GetModuleHandleW(nullptr), nID,
                              reinterpret_cast<wchar_t*>(&text), 0);
  if (n <= 0 || text == nullptr) {
    m_text.clear();
    return false;
  }
  m_text = WideToGbk(std::wstring(text, static_cast<size_t>(n)));
  return true;
}
