#ifndef TARNWICK_E2E_PROGRAM_CASE_H_
#define TARNWICK_E2E_PROGRAM_CASE_H_

// One end-to-end case of Tarnwick.exe: a fresh folder holding the program,
// the simulated board (WINIO.dll) and the files the case writes there, the
// running program, and the case's checks, printed as one line when the case
// ends. RunCases() is a driver program's main().

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The program's control and command identifiers (IDC_..., IDM_...).
#include "app/resource.h"
#include "e2e/driver.h"

// Bytes of the chip, as the board's simchip.bin holds them.
constexpr size_t kChipBytes = 4096;

// The status labels' first text, and the signature of the default board.
const wchar_t kNotStarted[] = L"未开始";
const wchar_t kDefaultSignature[] = L"30H=1E,\t31H=51,\t32H=FF";

// Whole files by wide path (any name, whatever the code page).
bool WriteBytes(const std::wstring& path, const std::string& bytes);
bool ReadBytes(const std::wstring& path, std::string* bytes);

// A text as a quoted C string (\t, \n, \r spelled out), for messages.
std::wstring Quoted(const std::wstring& text);

// The text of the main dialog's read-status label, the first control
// without an identifier of its own ("(none)" when there is no such
// control).
std::wstring ReadStatusText(HWND dialog);

// The checks of one case; prints "[       OK ] name" or "[  FAILED  ] name"
// and what failed, and counts the case, when it ends.
class CaseResult {
 public:
  explicit CaseResult(const char* name) : name_(name) {}
  CaseResult(const CaseResult&) = delete;
  CaseResult& operator=(const CaseResult&) = delete;
  ~CaseResult();

  bool ok() const { return failures_.empty(); }

  // Records a failure described by `what` unless `ok`; returns `ok`.
  bool Expect(bool ok, const std::wstring& what);
  // Expects `got` to equal `want`; `what` names the text.
  bool ExpectText(const std::wstring& what, const std::wstring& got,
                  const std::wstring& want);
  // Waits up to `timeout_ms` for `text()` to equal `want` (a label the
  // program refreshes at its own pace); a failure, with the last text
  // seen, if it does not.
  bool ExpectTextWithin(const std::wstring& what,
                        const std::function<std::wstring()>& text,
                        const std::wstring& want, DWORD timeout_ms);
  // A measurement, printed under the case's result line.
  void Note(const std::wstring& text) { notes_.push_back(text); }

 private:
  const char* name_;
  std::vector<std::wstring> failures_;
  std::vector<std::wstring> notes_;
};

// How a case ends the program.
enum class Closing {
  kSysClose,     // the close command (Alt+F4, caption button, taskbar)
  kEscapeKey,    // Esc pressed in the dialog
  kOkCommand,    // an IDOK command, as Enter on a default OK button gives
  kPostedClose,  // WM_CLOSE posted to the dialog, as another program may
};

// One run of the program in the case folder WORK\<driver folder>\<name>\,
// made with Tarnwick.exe, WINIO.dll, the default start.ini and a board
// with default settings that writes a trace (trace.txt); the case changes
// these files before Start(). The program is killed if it still runs when
// the case ends.
class ProgramCase : public CaseResult {
 public:
  explicit ProgramCase(const char* name);
  ~ProgramCase();

  // The case folder, ending in "\".
  const std::wstring& dir() const { return dir_; }

  // start.ini with `text` instead of the default one; null: no start.ini.
  void WriteStartIni(const char* text);
  // simboard.ini with `settings` (its lines) and the trace file.
  void WriteBoard(const char* settings);
  // The chip's content before the run, and after it.
  void WriteChip(const std::string& bytes);
  std::string Chip();

  bool Start();
  DWORD pid() const { return process_.dwProcessId; }

  // The main dialog (caption "Tarnwick", with the port text) once it shows
  // and the program waits for input; null, and a failure, if it does not
  // within kWaitMs. StartMain() starts the program first.
  HWND WaitMain();
  HWND StartMain() { return Start() ? WaitMain() : nullptr; }

  // Clicks "读特征字" and returns the signature text once it shows. The
  // text must be empty before: the wait is for it to change.
  std::wstring ReadSignature(HWND dialog);

  // Waits for a message box showing `text`, captioned "Tarnwick" and owned
  // by `owner` (null: no owner), and answers OK.
  void AnswerMessage(const std::wstring& text, HWND owner);

  // Saves a picture of `window` as SCREENS\<name>.bmp.
  void Picture(HWND window, const wchar_t* name);

  // Ends the program the given way and waits (bounded) for it to end with
  // exit code 0, killing it otherwise. Then checks the trace: port access
  // opened first and released last, each exactly once, time never going
  // back, no protocol violation; or, unless `traced`, that there is no
  // trace. Returns the milliseconds the program took to end.
  DWORD Finish(HWND dialog, Closing how = Closing::kSysClose,
               bool traced = true);

 private:
  void CheckTrace();

  std::wstring dir_;
  PROCESS_INFORMATION process_{};
};

// The main() of a driver program run as
//   DRIVER.exe DIST WORK SCREENS CODEPAGE
// DIST holds Tarnwick.exe, WINIO.dll and start.ini; case folders are made
// in WORK\`folder` (give a name with characters GBK lacks, so that the
// program finds its own folder and files only if it keeps their names as
// the system gives them); pictures go to SCREENS. Checks that the ANSI code
// page is CODEPAGE, runs `cases`, and prints a last line "N passed, N
// failed". Returns the exit code: 0 only when all passed.
int RunCases(const wchar_t* folder, void (*cases)());

#endif  // TARNWICK_E2E_PROGRAM_CASE_H_
