#include "mfc/cstring.h"

#include <cstdarg>
#include <cstdio>

#include "base/format.h"

CString::CString(const char* text) : m_text(text != nullptr ? text : "") {}

CString::CString(const std::string& text) : m_text(text) {}

CString& CString::operator=(const char* text) {
  m_text = text != nullptr ? text : "";
  return *this;
}

CString& CString::operator+=(const CString& other) {
  m_text += other.m_text;
  return *this;
}

CString operator+(const CString& a, const CString& b) {
  CString sum(a);
  sum += b;
  return sum;
}

void CString::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  // Formatted into a fresh string: an argument may be this string's text.
  std::string out = FormatV(format, args);
  va_end(args);
  m_text.swap(out);
}
