#include "e2e/program_case.h"

#include <cstdio>
#include <cstring>

#include "base/gbk.h"

namespace {

std::wstring g_dist;  // ends in "\"
std::wstring g_work;  // ends in "\"
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

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool Contains(const std::string& line, const char* text) {
  return line.find(text) != std::string::npos;
}

}  // namespace

bool SetCaseFolders(const std::wstring& dist, const std::wstring& work) {
  g_dist = dist + L"\\";
  g_work = work + L"\\";
  return CreateDirectoryW(work.c_str(), nullptr) ||
         GetLastError() == ERROR_ALREADY_EXISTS;
}

int PassedCases() { return g_passed; }
int FailedCases() { return g_failed; }

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
  // Identifier -1, or 0xFFFF where the identifier is kept in 16 bits.
  for (const auto& child : ChildTexts(dialog))
    if (child.first == -1 || child.first == 0xFFFF) return child.second;
  return L"(none)";
}

CaseResult::~CaseResult() {
  if (failures_.empty()) {
    ++g_passed;
    std::printf("[       OK ] %s\n", name_);
  } else {
    ++g_failed;
    std::printf("[  FAILED  ] %s\n", name_);
    for (const std::wstring& f : failures_)
      std::printf("               %s\n", Utf8(f).c_str());
  }
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
  for (const wchar_t* file : {L"Tarnwick.exe", L"WINIO.dll"}) {
    Expect(CopyFileW((g_dist + file).c_str(), (dir_ + file).c_str(), FALSE),
           L"copying " + g_dist + file + L" into " + dir_);
  }
}

void ProgramCase::UseDefaultStartIni() {
  Expect(CopyFileW((g_dist + L"start.ini").c_str(),
                   (dir_ + L"start.ini").c_str(), FALSE),
         L"copying start.ini");
}

void ProgramCase::WriteStartIni(const char* text) {
  Expect(WriteBytes(dir_ + L"start.ini", text), L"writing start.ini");
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
  return Expect(run_.Start(dir_ + L"Tarnwick.exe"), L"starting Tarnwick.exe");
}

HWND ProgramCase::WaitMain() {
  HWND dialog = WaitTopWindow(
      run_.pid(),
      [](HWND w) {
        return TextOf(w) == L"Tarnwick" && GetDlgItem(w, kPortText) != nullptr;
      },
      kWaitMs);
  if (!Expect(dialog != nullptr, L"no main dialog within 10 s")) return nullptr;
  Expect(run_.WaitInputIdle(kWaitMs), L"the program never waits for input");
  return dialog;
}

std::wstring ProgramCase::ReadSignature(HWND dialog) {
  if (!Expect(ItemText(dialog, kSignatureText).empty(),
              L"signature text not empty before the click"))
    return L"";
  ClickButton(dialog, kReadSignatureButton);
  Expect(WaitUntil([&] { return !ItemText(dialog, kSignatureText).empty(); },
                   kWaitMs),
         L"no signature within 10 s");
  return ItemText(dialog, kSignatureText);
}

void ProgramCase::Finish(HWND dialog, Closing how) {
  switch (how) {
    case Closing::kSysClose:
      PostSysCommand(dialog, SC_CLOSE);
      break;
    case Closing::kEscapeKey:
      PostKey(dialog, VK_ESCAPE);
      break;
    case Closing::kOkCommand:
      PostCommand(dialog, IDOK);
      break;
  }
  DWORD code = 0;
  if (!Expect(run_.WaitExit(kWaitMs, &code),
              L"the program did not end within 10 s; killed")) {
    run_.Kill();
    return;
  }
  Expect(code == 0, L"exit code " + std::to_wstring(code) + L", want 0");
  CheckTrace();
}

void ProgramCase::CheckTrace() {
  std::string text;
  if (!Expect(ReadBytes(dir_ + L"trace.txt", &text), L"no trace.txt")) return;
  const std::vector<std::string> lines = Lines(text);
  int opens = 0, releases = 0, violations = 0;
  for (const std::string& line : lines) {
    if (Contains(line, "  InitializeWinIo")) ++opens;
    if (Contains(line, "  ShutdownWinIo")) ++releases;
    // The first few violations in full, then only their number.
    if (Contains(line, "violation") && ++violations <= 3)
      Expect(false, L"trace: " + GbkToWide(line));
  }
  Expect(violations <= 3,
         L"trace: " + std::to_wstring(violations) + L" violations in all");
  Expect(opens == 1 && releases == 1,
         L"trace: port access opened " + std::to_wstring(opens) +
             L" times and released " + std::to_wstring(releases) +
             L" times, want once each");
  Expect(!lines.empty() && Contains(lines.front(), "InitializeWinIo") &&
             Contains(lines.back(), "ShutdownWinIo"),
         L"trace: does not begin with opening port access and end with "
         L"releasing it");
}
