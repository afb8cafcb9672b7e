#include "e2e/program_case.h"

// After windows.h, which it builds on.
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "base/gbk.h"

namespace {

std::wstring g_dist;  // each ends in "\"
std::wstring g_work;
std::wstring g_screens;
int g_passed = 0;
int g_failed = 0;

std::string Utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(),
                                    static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                      &out[0], n, nullptr, nullptr);
  return out;
}

bool Contains(const std::string& line, const char* text) {
  return line.find(text) != std::string::npos;
}

}  // namespace

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (f == nullptr) return false;
  const bool ok =
      bytes.empty() || std::fwrite(bytes.data(), bytes.size(), 1, f) == 1;
  return std::fclose(f) == 0 && ok;
}

bool ReadBytes(const std::wstring& path, std::string* bytes) {
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (f == nullptr) return false;
  bytes->clear();
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
    bytes->append(buffer, n);
  std::fclose(f);
  return true;
}

std::wstring Quoted(const std::wstring& text) {
  std::wstring out = L"\"";
  for (wchar_t c : text) {
    if (c == L'\t')
      out += L"\\t";
    else if (c == L'\n')
      out += L"\\n";
    else if (c == L'\r')
      out += L"\\r";
    else
      out += c;
  }
  return out + L"\"";
}

std::wstring ReadStatusText(HWND dialog) {
  // IDC_STATIC (-1), or 0xFFFF where the identifier is kept in 16 bits.
  for (const auto& child : ChildTexts(dialog))
    if (child.first == IDC_STATIC || child.first == 0xFFFF) return child.second;
  return L"(none)";
}

CaseResult::~CaseResult() {
  ++(failures_.empty() ? g_passed : g_failed);
  std::printf("%s %s\n", failures_.empty() ? "[       OK ]" : "[  FAILED  ]",
              name_);
  for (const std::wstring& f : failures_)
    std::printf("               %s\n", Utf8(f).c_str());
  for (const std::wstring& note : notes_)
    std::printf("               (%s)\n", Utf8(note).c_str());
  std::fflush(stdout);
}

bool CaseResult::Expect(bool ok, const std::wstring& what) {
  if (!ok) failures_.push_back(what);
  return ok;
}

bool CaseResult::ExpectText(const std::wstring& what, const std::wstring& got,
                            const std::wstring& want) {
  return Expect(got == want,
                what + L": " + Quoted(got) + L", want " + Quoted(want));
}

bool CaseResult::ExpectTextWithin(const std::wstring& what,
                                  const std::function<std::wstring()>& text,
                                  const std::wstring& want, DWORD timeout_ms) {
  std::wstring got;
  const bool reached =
      WaitUntil([&] { return (got = text()) == want; }, timeout_ms);
  return Expect(reached, what + L" after " + std::to_wstring(timeout_ms) +
                             L" ms: " + Quoted(got) + L", want " +
                             Quoted(want));
}

ProgramCase::ProgramCase(const char* name) : CaseResult(name) {
  dir_ = g_work + std::wstring(name, name + std::strlen(name)) + L"\\";
  CreateDirectoryW(dir_.c_str(), nullptr);
  for (const wchar_t* file : {L"Tarnwick.exe", L"WINIO.dll", L"start.ini"}) {
    Expect(CopyFileW((g_dist + file).c_str(), (dir_ + file).c_str(), FALSE),
           L"copying " + g_dist + file + L" into " + dir_);
  }
  WriteBoard("");
}

ProgramCase::~ProgramCase() {
  if (process_.hProcess == nullptr) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, kWaitMs);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

void ProgramCase::WriteStartIni(const char* text) {
  const std::wstring path = dir_ + L"start.ini";
  Expect(text != nullptr ? WriteBytes(path, text) : DeleteFileW(path.c_str()),
         L"writing start.ini");
}

void ProgramCase::WriteBoard(const char* settings) {
  Expect(WriteBytes(dir_ + L"simboard.ini",
                    std::string(settings) + "\ntrace = trace.txt\n"),
         L"writing simboard.ini");
}

void ProgramCase::WriteChip(const std::string& bytes) {
  Expect(WriteBytes(dir_ + L"simchip.bin", bytes), L"writing simchip.bin");
}

std::string ProgramCase::Chip() {
  std::string bytes;
  Expect(ReadBytes(dir_ + L"simchip.bin", &bytes), L"reading simchip.bin");
  return bytes;
}

bool ProgramCase::Start() {
  const std::wstring exe = dir_ + L"Tarnwick.exe";
  std::wstring command_line = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  return Expect(
      CreateProcessW(exe.c_str(), &command_line[0], nullptr, nullptr, FALSE, 0,
                     nullptr, dir_.c_str(), &startup, &process_) != FALSE,
      L"starting Tarnwick.exe");
}

HWND ProgramCase::WaitMain() {
  HWND dialog = WaitTopWindow(
      pid(),
      [](HWND w) {
        return TextOf(w) == L"Tarnwick" &&
               GetDlgItem(w, IDC_PORT_TEXT) != nullptr;
      },
      kWaitMs);
  if (!Expect(dialog != nullptr, L"no main dialog")) return nullptr;
  // A window just shown still handles the rest of its start-up until the
  // program first waits for input (under Wine, one minimised earlier is
  // restored again).
  Expect(WaitForInputIdle(process_.hProcess, kWaitMs) == 0,
         L"the program never waits for input");
  return dialog;
}

std::wstring ProgramCase::ReadSignature(HWND dialog) {
  if (!Expect(ItemText(dialog, IDC_SIGNATURE_TEXT).empty(),
              L"signature text not empty before the click"))
    return L"";
  ClickButton(dialog, IDC_READ_SIGNATURE);
  Expect(
      WaitUntil([&] { return !ItemText(dialog, IDC_SIGNATURE_TEXT).empty(); },
                kWaitMs),
      L"no signature");
  return ItemText(dialog, IDC_SIGNATURE_TEXT);
}

void ProgramCase::AnswerMessage(const std::wstring& text, HWND owner) {
  HWND box = WaitMessageBox(pid(), kWaitMs);
  if (!Expect(box != nullptr,
              L"no message box " + Quoted(text)))
    return;
  ExpectText(L"message box text", MessageBoxText(box), text);
  ExpectText(L"message box caption", TextOf(box), L"Tarnwick");
  Expect(GetWindow(box, GW_OWNER) == owner,
         L"message box " + Quoted(text) + L" has another owner window");
  ClickButton(box, IDOK);
  Expect(WaitGone(box, kWaitMs), L"message box still there after OK");
}

void ProgramCase::Picture(HWND window, const wchar_t* name) {
  Expect(SaveWindowBitmap(window, g_screens + name + L".bmp"),
         std::wstring(L"picture ") + name + L".bmp");
}

DWORD ProgramCase::Finish(HWND dialog, Closing how, bool traced) {
  const DWORD start = GetTickCount();
  if (how == Closing::kSysClose) PostSysCommand(dialog, SC_CLOSE);
  if (how == Closing::kEscapeKey) PostKey(dialog, VK_ESCAPE);
  if (how == Closing::kOkCommand) PostCommand(dialog, IDOK);
  if (how == Closing::kPostedClose) PostMessageW(dialog, WM_CLOSE, 0, 0);
  DWORD code = 0;
  if (!Expect(WaitForSingleObject(process_.hProcess, kWaitMs) == WAIT_OBJECT_0,
              L"the program did not end; killed"))
    return kWaitMs;
  const DWORD took = GetTickCount() - start;
  GetExitCodeProcess(process_.hProcess, &code);
  Expect(code == 0, L"exit code " + std::to_wstring(code) + L", want 0");
  if (traced)
    CheckTrace();
  else
    Expect(GetFileAttributesW((dir_ + L"trace.txt").c_str()) ==
               INVALID_FILE_ATTRIBUTES,
           L"a trace without a board");
  return took;
}

void ProgramCase::CheckTrace() {
  std::string text;
  if (!Expect(ReadBytes(dir_ + L"trace.txt", &text), L"no trace.txt")) return;
  std::istringstream in(text);
  std::string line, first, last;
  int opens = 0, releases = 0, violations = 0, backwards = 0;
  double last_ms = 0;
  while (std::getline(in, line)) {
    if (first.empty()) first = line;
    last = line;
    opens += Contains(line, "  open");
    releases += Contains(line, "  close");
    // The first few violations in full, then only their number.
    if (Contains(line, "violation") && ++violations <= 3)
      Expect(false, L"trace: " + GbkToWide(line));
    // A long session's trace is written in parts: all on one time scale.
    const double ms = std::atof(line.c_str());
    backwards += ms < last_ms;
    last_ms = ms;
  }
  Expect(backwards == 0,
         L"trace: time goes back " + std::to_wstring(backwards) + L" times");
  Expect(violations <= 3,
         L"trace: " + std::to_wstring(violations) + L" violations in all");
  Expect(opens == 1 && releases == 1,
         L"trace: port access opened " + std::to_wstring(opens) +
             L" times and released " + std::to_wstring(releases) +
             L" times, want once each");
  Expect(Contains(first, "  open") && Contains(last, "  close"),
         L"trace: does not begin with opening port access and end with "
         L"releasing it");
}

int RunCases(const wchar_t* folder, void (*cases)()) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc != 5) {
    std::fprintf(stderr, "usage: DRIVER DIST WORK SCREENS CODEPAGE\n");
    return 2;
  }
  g_dist = std::wstring(argv[1]) + L"\\";
  g_work = std::wstring(argv[2]) + L"\\" + folder + L"\\";
  g_screens = std::wstring(argv[3]) + L"\\";
  const UINT codepage = std::wcstoul(argv[4], nullptr, 10);
  std::printf("ANSI code page %u\n", GetACP());
  {
    CaseResult r("run conditions");
    r.Expect(CreateDirectoryW(g_work.c_str(), nullptr) ||
                 GetLastError() == ERROR_ALREADY_EXISTS,
             L"cannot make " + g_work);
    r.Expect(GetACP() == codepage, L"ANSI code page " +
                                       std::to_wstring(GetACP()) + L", want " +
                                       std::to_wstring(codepage));
  }
  if (g_failed == 0) cases();
  std::printf("%d passed, %d failed\n", g_passed, g_failed);
  return g_failed == 0 ? 0 : 1;
}
