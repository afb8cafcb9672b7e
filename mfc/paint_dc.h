#ifndef TARNWICK_MFC_PAINT_DC_H_
#define TARNWICK_MFC_PAINT_DC_H_

#include <windows.h>

class CWnd;

// A rectangle in client coordinates.
class CRect : public RECT {
 public:
  CRect() : RECT{0, 0, 0, 0} {}
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// The device context of one WM_PAINT: BeginPaint on construction,
// EndPaint on destruction.
class CPaintDC {
 public:
  explicit CPaintDC(CWnd* pWnd);
  ~CPaintDC();
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;

  HDC GetSafeHdc() const { return m_hDC; }
  BOOL DrawIcon(int x, int y, HICON hIcon);

  PAINTSTRUCT m_ps;

 private:
  HWND m_hWnd;
  HDC m_hDC;
};

#endif  // TARNWICK_MFC_PAINT_DC_H_
