#include "e2e/driver.h"

#include <cstdio>
#include <cwchar>

namespace {

constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kFileNameEdit = 0x480;   // edt1
constexpr int kFileNameCombo = 0x47C;  // cmb13

struct TopWindowSearch {
  DWORD pid;
  const std::function<bool(HWND)>* match;
  HWND found;
};

BOOL CALLBACK VisitTopWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TopWindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || !IsWindowVisible(window) ||
      !(*search->match)(window))
    return TRUE;
  search->found = window;
  return FALSE;
}

BOOL CALLBACK VisitChild(HWND child, LPARAM param) {
  reinterpret_cast<std::vector<std::pair<int, std::wstring>>*>(param)
      ->emplace_back(GetDlgCtrlID(child), TextOf(child));
  return TRUE;
}

BOOL CALLBACK VisitForEdit(HWND child, LPARAM param) {
  wchar_t name[16] = {0};
  GetClassNameW(child, name, 16);
  if (lstrcmpiW(name, L"Edit") != 0) return TRUE;
  *reinterpret_cast<HWND*>(param) = child;
  return FALSE;
}

// The file-name box of a common file dialog: edt1, or the edit inside
// combo box cmb13 (one or two levels down); null when there is none.
HWND FileNameBox(HWND dialog) {
  if (HWND edit = GetDlgItem(dialog, kFileNameEdit)) return edit;
  HWND combo = GetDlgItem(dialog, kFileNameCombo);
  HWND edit = nullptr;
  if (combo != nullptr)
    EnumChildWindows(combo, VisitForEdit, reinterpret_cast<LPARAM>(&edit));
  return edit;
}

// TARNWICK_WINE_TIME_SCALE, or 1.
DWORD TimeScale() {
  wchar_t text[16] = {0};
  const DWORD n =
      GetEnvironmentVariableW(L"TARNWICK_WINE_TIME_SCALE", text, 16);
  const long scale = n > 0 && n < 16 ? std::wcstol(text, nullptr, 10) : 1;
  return scale > 0 ? static_cast<DWORD>(scale) : 1;
}

}  // namespace

const DWORD kWaitMs = 60000 * TimeScale();

bool WaitUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start >= timeout_ms) return false;
    Sleep(20);
  }
}

HWND FindTopWindow(DWORD pid, const std::function<bool(HWND)>& match) {
  TopWindowSearch search{pid, &match, nullptr};
  EnumWindows(VisitTopWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitTopWindow(DWORD pid, const std::function<bool(HWND)>& match,
                   DWORD timeout_ms) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTopWindow(pid, match)) != nullptr; },
            timeout_ms);
  return found;
}

bool WaitGone(HWND window, DWORD timeout_ms) {
  return WaitUntil(
      [&] { return !IsWindow(window) || !IsWindowVisible(window); },
      timeout_ms);
}

std::wstring TextOf(HWND window) {
  std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
  text.resize(GetWindowTextW(window, &text[0], static_cast<int>(text.size())));
  return text;
}

std::wstring ItemText(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item != nullptr ? TextOf(item) : std::wstring();
}

std::vector<std::pair<int, std::wstring>> ChildTexts(HWND parent) {
  std::vector<std::pair<int, std::wstring>> texts;
  EnumChildWindows(parent, VisitChild, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

bool HasChildWithText(HWND window, const std::wstring& text) {
  for (const auto& child : ChildTexts(window))
    if (child.second == text) return true;
  return false;
}

bool IsUsable(HWND window) {
  return IsWindowVisible(window) && IsWindowEnabled(window);
}

HWND WaitMessageBox(DWORD pid, DWORD timeout_ms) {
  return WaitTopWindow(
      pid,
      [](HWND w) {
        return IsUsable(w) && GetDlgItem(w, kMessageBoxTextId) != nullptr;
      },
      timeout_ms);
}

std::wstring MessageBoxText(HWND box) {
  return ItemText(box, kMessageBoxTextId);
}

bool ClickButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return button != nullptr && PostMessageW(button, BM_CLICK, 0, 0);
}

bool PostCommand(HWND dialog, int id) {
  return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool PostSysCommand(HWND dialog, WPARAM command) {
  return PostMessageW(dialog, WM_SYSCOMMAND, command, 0);
}

bool PostKey(HWND dialog, UINT virtual_key) {
  HWND target = dialog;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) &&
      info.hwndFocus != nullptr && IsChild(dialog, info.hwndFocus))
    target = info.hwndFocus;
  const LPARAM down = 1 | static_cast<LPARAM>(MapVirtualKeyW(virtual_key, 0))
                              << 16;
  return PostMessageW(target, WM_KEYDOWN, virtual_key, down) &&
         PostMessageW(target, WM_KEYUP, virtual_key, down | 0xC0000000);
}

HWND WaitFileDialog(DWORD pid, DWORD timeout_ms) {
  HWND dialog = WaitTopWindow(
      pid, [](HWND w) { return IsUsable(w) && FileNameBox(w) != nullptr; },
      timeout_ms);
  // A message sent to it is handled once its thread takes messages again,
  // that is, once it has finished setting itself up. (Not "abort if hung":
  // under emulation a thread busy setting up for 5 s counts as hung.)
  DWORD_PTR result = 0;
  if (dialog != nullptr &&
      !SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, timeout_ms,
                           &result))
    return nullptr;
  return dialog;
}

bool AnswerFileDialog(HWND dialog, const std::wstring& name) {
  HWND box = FileNameBox(dialog);
  // Sent, not posted: the text travels by pointer, and setting it runs no
  // handler of the program's own.
  DWORD_PTR result = 0;
  return box != nullptr &&
         SendMessageTimeoutW(box, WM_SETTEXT, 0,
                             reinterpret_cast<LPARAM>(name.c_str()),
                             SMTO_NORMAL, kWaitMs, &result) &&
         PostCommand(dialog, IDOK);
}

bool SaveWindowBitmap(HWND window, const std::wstring& path) {
  // Painted now, by the window's own thread: the call returns once it has.
  RedrawWindow(
      window, nullptr, nullptr,
      RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT r;
  if (!GetWindowRect(window, &r)) return false;
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return false;

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const bool copied = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top,
                             SRCCOPY | CAPTUREBLT) != FALSE;
  SelectObject(memory, old);
  // Bottom-up rows of 24-bit pixels, each padded to 4 bytes, as BMP files
  // store them.
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  std::vector<BYTE> pixels(((width * 3 + 3) & ~3) * height);
  const bool got = copied && GetDIBits(memory, bitmap, 0, height, pixels.data(),
                                       reinterpret_cast<BITMAPINFO*>(&header),
                                       DIB_RGB_COLORS) == height;
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!got) return false;

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (out == nullptr) return false;
  bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
            std::fwrite(&header, sizeof header, 1, out) == 1 &&
            std::fwrite(pixels.data(), pixels.size(), 1, out) == 1;
  return std::fclose(out) == 0 && ok;
}
