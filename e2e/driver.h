#ifndef TARNWICK_E2E_DRIVER_H_
#define TARNWICK_E2E_DRIVER_H_

// Driving another program's windows from outside, as a user would: start
// it, find its dialogs, post clicks and keys, read what its controls show,
// answer its message boxes and file dialogs, and take pictures of them.
//
// Every input is posted, never sent, so that a handler that blocks or opens
// a modal window cannot block the driver. Every wait is bounded.

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

// Usual bound for a window to appear or go, or a handler to finish.
constexpr DWORD kWaitMs = 10000;

// A file dialog answered earlier than this after it appeared may skip parts
// of its own set-up (under Wine, the overwrite prompt).
constexpr DWORD kFileDialogSettleMs = 1200;

// Waits until done() is true, checking every 20 ms; false after timeout_ms.
bool WaitUntil(const std::function<bool()>& done, DWORD timeout_ms);

// One run of a program. The program is killed if it still runs when this
// object ends.
class ProgramRun {
 public:
  ProgramRun() = default;
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;
  ~ProgramRun();

  // Starts `exe` (a full path) in its own folder, with no arguments.
  bool Start(const std::wstring& exe);
  DWORD pid() const { return info_.dwProcessId; }

  // Waits until the program first waits for input with none pending: a
  // window it has just shown still handles the rest of its start-up until
  // then (under Wine, a window minimised earlier is restored again).
  bool WaitInputIdle(DWORD timeout_ms);

  // Waits for the program to end; gives its exit code. False on timeout.
  bool WaitExit(DWORD timeout_ms, DWORD* exit_code);

  // Ends the program at once and waits (bounded) until it is gone.
  void Kill();

 private:
  PROCESS_INFORMATION info_{};
};

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

// A message box: a dialog with a text control of identifier 0xFFFF, which
// MessageBoxText reads.
bool IsMessageBox(HWND window);
std::wstring MessageBoxText(HWND box);

// Visible and enabled: the window that takes input (a dialog behind a
// modal window of its own is disabled).
bool IsUsable(HWND window);

// Posted input. ClickButton posts BM_CLICK to control `id` of `dialog`;
// PostCommand posts WM_COMMAND `id` to `dialog`; PostSysCommand posts
// WM_SYSCOMMAND `command`; PostKey posts a key press (down and up) to the
// control of `dialog` that has the focus, or to `dialog` when none has.
bool ClickButton(HWND dialog, int id);
bool PostCommand(HWND dialog, int id);
bool PostSysCommand(HWND dialog, WPARAM command);
bool PostKey(HWND dialog, UINT virtual_key);

// A common Open or Save As dialog: it has a file-name box, edt1 (0x480) or
// the edit of combo box cmb13 (0x47C). FileNameBox gives that box (null:
// not a file dialog).
HWND FileNameBox(HWND dialog);
bool IsFileDialog(HWND window);

// Waits for a usable file dialog of process `pid`, then kFileDialogSettleMs
// more, so that it answers as it would a user.
HWND WaitFileDialog(DWORD pid, DWORD timeout_ms);

// Types `name` (a full path or a name) into the file dialog's name box and
// posts OK. The dialog then ends or shows a prompt (see AnswerPrompt).
bool AnswerFileDialog(HWND dialog, const std::wstring& name);

// Waits for a usable message box of process `pid` (such as the overwrite
// prompt of a Save As dialog) and clicks its button `button` (IDOK, IDYES,
// IDNO...). Gives the box's text in `*text` when not null.
bool AnswerPrompt(DWORD pid, int button, DWORD timeout_ms, std::wstring* text);

// Saves what the screen shows of `window` (frame included) as a 24-bit BMP
// file. False when nothing could be captured or written.
bool SaveWindowBitmap(HWND window, const std::wstring& path);

#endif  // TARNWICK_E2E_DRIVER_H_
