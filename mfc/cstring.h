#ifndef TARNWICK_MFC_CSTRING_H_
#define TARNWICK_MFC_CSTRING_H_

#ifdef _WIN32
// Included first so that LoadString below gets the same (wide) name in
// every file, whether or not the file included <windows.h> itself.
#include <windows.h>
#endif

#include <string>

// The program's string: 8-bit GBK text (code page 936), as every text the
// program shows or writes. Converted to UTF-16 only where it meets the
// Windows API.
class CString {
 public:
  CString() = default;
  CString(const char* text);  // NOLINT: converts like MFC's; null is empty
  CString(const std::string& text);  // NOLINT

  int GetLength() const { return static_cast<int>(m_text.size()); }
  bool IsEmpty() const { return m_text.empty(); }
  void Empty() { m_text.clear(); }

  // The NUL-terminated text, valid until the string is next changed.
  operator const char*() const { return m_text.c_str(); }
  const std::string& GetString() const { return m_text; }

  CString& operator=(const char* text);
  CString& operator+=(const CString& other);
  friend CString operator+(const CString& a, const CString& b);
  friend bool operator==(const CString& a, const CString& b) {
    return a.m_text == b.m_text;
  }

  // Replaces the text with printf-style output of any length. The
  // arguments may point into this string's own text.
  void Format(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

  // Replaces the text with string `nID` of the program's string table.
  // Returns false, leaving the string empty, when there is no such string.
  bool LoadString(unsigned nID);

 private:
  std::string m_text;
};

#endif  // TARNWICK_MFC_CSTRING_H_
