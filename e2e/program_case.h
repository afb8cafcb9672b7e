#ifndef TARNWICK_E2E_PROGRAM_CASE_H_
#define TARNWICK_E2E_PROGRAM_CASE_H_

// One end-to-end case of Tarnwick.exe: a fresh folder holding the program,
// the simulated board (WINIO.dll) and the files the case writes there, the
// running program, and the case's checks, printed as one line when the case
// ends.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "e2e/driver.h"

// Bytes of the chip, as the board's simchip.bin holds them.
constexpr size_t kChipBytes = 4096;

// Controls of the main dialog, as the program's resources number them.
constexpr int kReadChipButton = 1000;
constexpr int kWriteChipButton = 1001;
constexpr int kReadSignatureButton = 1003;
constexpr int kSignatureText = 1004;
constexpr int kWriteStatus = 1005;
constexpr int kEraseChipButton = 1006;
constexpr int kSignatureLabel = 1007;
constexpr int kWriteLabel = 1008;
constexpr int kReadLabel = 1009;
constexpr int kPortText = 1010;

// The folder holding Tarnwick.exe, WINIO.dll and start.ini, and the folder
// the case folders are made in (made here if missing). Set once, first.
// False when the work folder cannot be made.
bool SetCaseFolders(const std::wstring& dist, const std::wstring& work);

// Cases that ended so far, passed and failed.
int PassedCases();
int FailedCases();

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
  // A measurement or remark, printed under the case's result line.
  void Note(const std::wstring& text) { notes_.push_back(text); }
  // Waits up to `timeout_ms` for `text()` to equal `want` (a label the
  // program refreshes at its own pace); a failure, with the last text
  // seen, if it does not.
  bool ExpectTextWithin(const std::wstring& what,
                        const std::function<std::wstring()>& text,
                        const std::wstring& want, DWORD timeout_ms);

 private:
  const char* name_;
  std::vector<std::wstring> failures_;
  std::vector<std::wstring> notes_;
};

// How a case ends the program.
enum class Closing {
  kSysClose,   // the close command (system menu, caption button, Alt+F4)
  kEscapeKey,  // Esc pressed in the dialog
  kOkCommand,  // an IDOK command, as Enter on a default OK button gives
};

// One run of the program in the case folder WORK\<name>\, which gets
// Tarnwick.exe and WINIO.dll at once; the case writes the other files
// before Start(). The board always writes a trace (trace.txt), which
// Finish() checks.
class ProgramCase : public CaseResult {
 public:
  explicit ProgramCase(const char* name);

  // The case folder, ending in "\".
  const std::wstring& dir() const { return dir_; }

  // start.ini: the program folder's own one, or `text`.
  void UseDefaultStartIni();
  void WriteStartIni(const char* text);
  // The board's settings file with `settings` (simboard.ini lines) and the
  // trace file.
  void WriteBoard(const char* settings);
  // The chip's content before the run, and after it.
  void WriteChip(const std::string& bytes);
  std::string Chip();

  bool Start();
  DWORD pid() const { return run_.pid(); }

  // The main dialog (caption "Tarnwick", with the port text) once it shows
  // and the program waits for input; null, and a failure, if it does not
  // within kWaitMs.
  HWND WaitMain();

  // Clicks "读特征字" and returns the signature text once it shows. The
  // text must be empty before: the wait is for it to change.
  std::wstring ReadSignature(HWND dialog);

  // Ends the program the given way, waits (bounded) for it to end with
  // exit code 0, killing it otherwise, and checks the trace: port access
  // opened first and released last, each exactly once, and no protocol
  // violation.
  void Finish(HWND dialog, Closing how);

 private:
  void CheckTrace();

  std::wstring dir_;
  ProgramRun run_;
};

#endif  // TARNWICK_E2E_PROGRAM_CASE_H_
