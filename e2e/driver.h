#ifndef TARNWICK_E2E_DRIVER_H_
#define TARNWICK_E2E_DRIVER_H_

// Driving another program's windows from outside, as a user would: find its
// dialogs, post clicks and keys, read what its controls show, answer its
// file dialogs, and take pictures of them.
//
// Every input is posted, never sent, so that a handler that blocks or opens
// a modal window cannot block the driver. Every wait is bounded.

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

// Usual bound for a window to appear or go, or a handler to finish: 60 s,
// times TARNWICK_WINE_TIME_SCALE when that is set (tools/wine-env.sh; the
// test virtual machine's software emulation sets it). Waits end as soon as
// the thing happens.
extern const DWORD kWaitMs;

// Waits until done() is true, checking every 20 ms; false after timeout_ms.
bool WaitUntil(const std::function<bool()>& done, DWORD timeout_ms);

// The first visible top-level window of process `pid` for which `match` is
// true (null: none). WaitTopWindow waits for one up to timeout_ms.
HWND FindTopWindow(DWORD pid, const std::function<bool(HWND)>& match);
HWND WaitTopWindow(DWORD pid, const std::function<bool(HWND)>& match,
                   DWORD timeout_ms);

// Waits until `window` is destroyed or hidden.
bool WaitGone(HWND window, DWORD timeout_ms);

// A window's text, and that of the control `id` of `dialog` ("" when the
// control does not exist).
std::wstring TextOf(HWND window);
std::wstring ItemText(HWND dialog, int id);

// Every child control of `parent`, in creation order: identifier and text.
std::vector<std::pair<int, std::wstring>> ChildTexts(HWND parent);

// True when `window` has a child control showing exactly `text`.
bool HasChildWithText(HWND window, const std::wstring& text);

// Visible and enabled: the window that takes input (a dialog behind a
// modal window of its own is disabled).
bool IsUsable(HWND window);

// A usable message box of process `pid` (a dialog with a text control of
// identifier 0xFFFF, which MessageBoxText reads), waited for up to
// timeout_ms; null if none shows.
HWND WaitMessageBox(DWORD pid, DWORD timeout_ms);
std::wstring MessageBoxText(HWND box);

// Posted input. ClickButton posts BM_CLICK to control `id` of `dialog`;
// PostCommand posts WM_COMMAND `id` to `dialog`; PostSysCommand posts
// WM_SYSCOMMAND `command`; PostKey posts a key press (down and up) to the
// control of `dialog` that has the focus, or to `dialog` when none has.
bool ClickButton(HWND dialog, int id);
bool PostCommand(HWND dialog, int id);
bool PostSysCommand(HWND dialog, WPARAM command);
bool PostKey(HWND dialog, UINT virtual_key);

// Waits for a usable common Open or Save As dialog of process `pid` that
// has finished setting itself up (its thread takes messages again): one
// answered sooner may skip parts of that (under Wine, the overwrite
// prompt). Null if none shows.
HWND WaitFileDialog(DWORD pid, DWORD timeout_ms);

// Types `name` (a full path or a name) into the file dialog's name box and
// posts OK. The dialog then ends or shows a prompt.
bool AnswerFileDialog(HWND dialog, const std::wstring& name);

// Saves what the screen shows of `window` (frame included) as a 32-bit BMP
// file, once the window and its children have painted themselves. False
// when nothing could be captured or written.
bool SaveWindowBitmap(HWND window, const std::wstring& path);

#endif  // TARNWICK_E2E_DRIVER_H_
