// End-to-end test of Tarnwick.exe as a user sees it: each case starts the
// real program in a fresh folder of its own (see program_case.h), drives its
// main dialog from outside, reads what its windows show, closes it, and then
// checks the files the simulated board left: the chip's content and the
// trace of every port access.
//
//   dialog_e2e.exe DIST WORK SCREENS CODEPAGE
//
// DIST holds Tarnwick.exe, WINIO.dll and start.ini; case folders are made
// under WORK\对话框测试 (a Chinese name, so that the program's own path goes
// through its GBK conversions); pictures of the main dialog and the About
// box are saved in SCREENS as main.bmp and about.bmp. CODEPAGE is the ANSI
// code page the run is meant to have (checked first).
//
// Prints one line per case and a last line "N passed, N failed"; exit code 0
// only when every case passed.

#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "base/gbk.h"
#include "e2e/driver.h"
#include "e2e/program_case.h"

namespace {

constexpr WPARAM kAboutCommand = 0x0010;  // the system menu's About item

const wchar_t kDefaultPortText[] =
    L"rtl8139 I/O基地址:\t0xC000\nEPP 并口地址:\t\t0x378";
const wchar_t kDefaultSignature[] = L"30H=1E,\t31H=51,\t32H=FF";
const wchar_t kCannotOpen[] = L"不能被打开";
const wchar_t kNotStarted[] = L"未开始";

std::wstring g_screens;  // where the pictures go

// A chip that is not blank: a byte pattern with no 0xFF in it.
std::string NonBlankChip() {
  std::string chip(kChipBytes, '\0');
  for (size_t a = 0; a < kChipBytes; ++a)
    chip[a] = static_cast<char>((a * 7 + 3) % 0xFF);
  return chip;
}

const std::string kBlankChip(kChipBytes, '\xFF');

// Saves a picture of `window` as SCREENS\<name>.bmp.
void Screenshot(ProgramCase& s, HWND window, const wchar_t* name) {
  Sleep(500);  // let it finish painting
  s.Expect(SaveWindowBitmap(window, g_screens + L"\\" + name + L".bmp"),
           std::wstring(L"picture ") + name + L".bmp");
}

// --- Start-up: port text from start.ini and the signature on those ports.

struct StartupCase {
  const char* name;
  const char* start_ini;  // null: the program folder's own start.ini
  const char* board;      // simboard.ini settings, matching the ports
  const wchar_t* port_text;
  const wchar_t* signature;
};

const StartupCase kStartupCases[] = {
    {"default start.ini and board", nullptr, "", kDefaultPortText,
     kDefaultSignature},
    {"start.ini e800 and 0x278",
     "[TARNWICK]\r\nRTL8139ADDR=e800;\r\n"
     "EPPADDR=0x278;\r\n",
     "rtl_base = E800\nepp_port = 278",
     L"rtl8139 I/O基地址:\t0xE800\nEPP 并口地址:\t\t0x278", kDefaultSignature},
    {"start.ini blank before the semicolon",
     "[TARNWICK]\r\nRTL8139ADDR=E800;\r\nEPPADDR=378 ;\r\n",
     "rtl_base = E800\nepp_port = 3780",
     L"rtl8139 I/O基地址:\t0xE800\nEPP 并口地址:\t\t0x3780", kDefaultSignature},
    {"start.ini value too big, keys reversed before the section",
     "EPPADDR=3BC;\nRTL8139ADDR=12345;\n[TARNWICK]\n", "epp_port = 3BC",
     L"rtl8139 I/O基地址:\t0xC000\nEPP 并口地址:\t\t0x3BC", kDefaultSignature},
    {"signature 12 34 05", nullptr, "signature = 12 34 05", kDefaultPortText,
     L"30H=12,\t31H=34,\t32H=5"},
};

void RunStartupCase(const StartupCase& c) {
  ProgramCase s(c.name);
  if (c.start_ini == nullptr)
    s.UseDefaultStartIni();
  else
    s.WriteStartIni(c.start_ini);
  s.WriteBoard(c.board);
  if (!s.Start()) return;
  HWND dialog = s.WaitMain();
  if (dialog == nullptr) return;
  s.ExpectText(L"port text", ItemText(dialog, kPortText), c.port_text);
  s.ExpectText(L"signature", s.ReadSignature(dialog), c.signature);
  s.Finish(dialog, Closing::kSysClose);
}

// --- The main dialog's other texts, as a user first sees them.

void RunDialogTextsCase() {
  ProgramCase s("main dialog texts");
  s.UseDefaultStartIni();
  s.WriteBoard("");
  if (!s.Start()) return;
  HWND dialog = s.WaitMain();
  if (dialog == nullptr) return;
  const struct {
    int id;
    const wchar_t* text;
  } kTexts[] = {
      {kReadChipButton, L"读89c51并保存"},
      {kWriteChipButton, L"读bin文件并写89C51"},
      {kReadSignatureButton, L"读特征字"},
      {kEraseChipButton, L"擦除89c51"},
      {kWriteStatus, kNotStarted},
      {kReadLabel, L"读状态:"},
      {kWriteLabel, L"写状态:"},
      {kSignatureLabel, L"读特征字:"},
      {kSignatureText, L""},
  };
  for (const auto& t : kTexts)
    s.ExpectText(L"control " + std::to_wstring(t.id), ItemText(dialog, t.id),
                 t.text);
  // The read-status label: the first control without an identifier of its
  // own (-1; 0xFFFF where the identifier is kept in 16 bits).
  const auto children = ChildTexts(dialog);
  std::wstring read_status = L"(none)";
  for (const auto& child : children) {
    if (child.first == -1 || child.first == 0xFFFF) {
      read_status = child.second;
      break;
    }
  }
  s.ExpectText(L"read-status label", read_status, kNotStarted);
  s.Expect(HasChildWithText(dialog, L"端口地址:"), L"no label \"端口地址:\"");
  bool credits = false;
  for (const auto& child : children)
    credits |= child.second.find(L"\nTarnwick 1.0 版\n") != std::wstring::npos;
  s.Expect(credits, L"no credits text with the line \"Tarnwick 1.0 版\"");
  s.Finish(dialog, Closing::kSysClose);
}

// --- No start.ini: the message box, then the defaults.

void RunMissingStartIniCase() {
  ProgramCase s("missing start.ini");
  s.WriteBoard("");
  if (!s.Start()) return;
  HWND box = WaitTopWindow(s.pid(), IsMessageBox, kWaitMs);
  if (!s.Expect(box != nullptr, L"no message box within 10 s")) return;
  s.ExpectText(L"message box text", MessageBoxText(box),
               s.dir() + L"start.ini" + kCannotOpen);
  s.ExpectText(L"message box caption", TextOf(box), L"Tarnwick");
  s.Expect(
      FindTopWindow(s.pid(), [box](HWND w) { return w != box; }) == nullptr,
      L"another window shows beside the message box");
  ClickButton(box, IDOK);
  s.Expect(WaitGone(box, kWaitMs), L"message box still there after OK");
  HWND dialog = s.WaitMain();
  if (dialog == nullptr) return;
  s.ExpectText(L"port text", ItemText(dialog, kPortText), kDefaultPortText);
  s.ExpectText(L"signature", s.ReadSignature(dialog), kDefaultSignature);
  s.Finish(dialog, Closing::kSysClose);
}

// --- Erase: the chip ends blank, nothing on screen changes.

void RunEraseCase() {
  ProgramCase s("erase");
  s.UseDefaultStartIni();
  s.WriteBoard("");
  s.WriteChip(NonBlankChip());
  if (!s.Start()) return;
  HWND dialog = s.WaitMain();
  if (dialog == nullptr) return;
  const auto before = ChildTexts(dialog);
  ClickButton(dialog, kEraseChipButton);
  // Handled in order: once the signature shows, the erase has ended.
  s.ExpectText(L"signature after erasing", s.ReadSignature(dialog),
               kDefaultSignature);
  auto after = ChildTexts(dialog);
  for (auto& child : after)
    if (child.first == kSignatureText) child.second.clear();
  s.Expect(after == before, L"control texts changed by erasing");
  s.Finish(dialog, Closing::kSysClose);
  s.Expect(s.Chip() == kBlankChip,
           L"simchip.bin is not blank (4096 bytes FF) after erasing");
}

// --- About box from the system menu; port access stays open.

void RunAboutCase() {
  ProgramCase s("about box");
  s.UseDefaultStartIni();
  s.WriteBoard("");
  if (!s.Start()) return;
  HWND dialog = s.WaitMain();
  if (dialog == nullptr) return;
  PostSysCommand(dialog, kAboutCommand);
  HWND about = WaitTopWindow(
      s.pid(), [](HWND w) { return TextOf(w) == L"关于 Tarnwick"; }, kWaitMs);
  if (s.Expect(about != nullptr, L"no window \"关于 Tarnwick\" within 10 s")) {
    s.Expect(HasChildWithText(about, L"Tarnwick 1.0 版"),
             L"About box without \"Tarnwick 1.0 版\"");
    s.ExpectText(L"About box button", ItemText(about, IDOK), L"确定");
    s.Expect(!IsWindowEnabled(dialog),
             L"main dialog takes input while the About box shows");
    Screenshot(s, about, L"about");
    ClickButton(about, IDOK);
    s.Expect(WaitGone(about, kWaitMs), L"About box still there after OK");
  }
  s.Expect(WaitUntil([&] { return IsUsable(dialog); }, kWaitMs),
           L"main dialog not usable after the About box");
  s.ExpectText(L"signature after About", s.ReadSignature(dialog),
               kDefaultSignature);
  Screenshot(s, dialog, L"main");
  s.Finish(dialog, Closing::kSysClose);
}

// --- Moved, minimised and restored: the chip commands still work.

void RunMoveCase() {
  ProgramCase s("moved, minimised and restored");
  s.UseDefaultStartIni();
  s.WriteBoard("");
  s.WriteChip(NonBlankChip());
  if (!s.Start()) return;
  HWND dialog = s.WaitMain();
  if (dialog == nullptr) return;
  SetWindowPos(dialog, nullptr, 40, 30, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT r{};
  s.Expect(WaitUntil(
               [&] {
                 GetWindowRect(dialog, &r);
                 return r.left == 40 && r.top == 30;
               },
               kWaitMs),
           L"window not moved to 40, 30");
  PostSysCommand(dialog, SC_MINIMIZE);
  s.Expect(WaitUntil([&] { return IsIconic(dialog) != FALSE; }, kWaitMs),
           L"window not minimised");
  PostSysCommand(dialog, SC_RESTORE);
  s.Expect(WaitUntil([&] { return !IsIconic(dialog); }, kWaitMs),
           L"window not restored");
  ClickButton(dialog, kEraseChipButton);
  s.ExpectText(L"signature", s.ReadSignature(dialog), kDefaultSignature);
  s.Finish(dialog, Closing::kSysClose);
  s.Expect(s.Chip() == kBlankChip, L"simchip.bin is not blank after erasing");
}

// --- Each way of closing ends the program and releases port access once.

struct ClosingCase {
  const char* name;
  Closing how;
};

const ClosingCase kClosingCases[] = {
    {"closed by the close command", Closing::kSysClose},
    {"closed by Esc", Closing::kEscapeKey},
    {"closed by IDOK (Enter)", Closing::kOkCommand},
};

void RunClosingCase(const ClosingCase& c) {
  ProgramCase s(c.name);
  s.UseDefaultStartIni();
  s.WriteBoard("");
  s.WriteChip(NonBlankChip());
  if (!s.Start()) return;
  HWND dialog = s.WaitMain();
  if (dialog == nullptr) return;
  // Something to save: the chip file is written when port access is
  // released.
  ClickButton(dialog, kEraseChipButton);
  s.ExpectText(L"signature", s.ReadSignature(dialog), kDefaultSignature);
  s.Finish(dialog, c.how);
  s.Expect(s.Chip() == kBlankChip, L"simchip.bin not saved blank");
}

// The run's own conditions: the code page it was meant to have, and wide
// literals that say what the program's GBK texts say.
bool CheckConditions(UINT codepage) {
  CaseResult r("run conditions");
  r.Expect(GetACP() == codepage, L"ANSI code page " +
                                     std::to_wstring(GetACP()) + L", want " +
                                     std::to_wstring(codepage));
  r.Expect(
      std::wstring(kCannotOpen) == GbkToWide("不能被打开") &&
          std::wstring(kDefaultPortText) ==
              GbkToWide("rtl8139 I/O基地址:\t0xC000\nEPP 并口地址:\t\t0x378"),
      L"wide literals differ from the GBK ones");
  return r.ok();
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc != 5) {
    std::fprintf(stderr, "usage: dialog_e2e DIST WORK SCREENS CODEPAGE\n");
    return 2;
  }
  g_screens = argv[3];
  std::printf("ANSI code page %u\n", GetACP());
  const std::wstring work = std::wstring(argv[2]) + L"\\对话框测试";
  if (!SetCaseFolders(argv[1], work)) {
    CaseResult r("case folders");
    r.Expect(false, L"cannot make " + work);
  }
  if (CheckConditions(static_cast<UINT>(std::wcstoul(argv[4], nullptr, 10))) &&
      FailedCases() == 0) {
    RunDialogTextsCase();
    for (const StartupCase& c : kStartupCases) RunStartupCase(c);
    RunMissingStartIniCase();
    RunEraseCase();
    RunAboutCase();
    RunMoveCase();
    for (const ClosingCase& c : kClosingCases) RunClosingCase(c);
  }
  std::printf("%d passed, %d failed\n", PassedCases(), FailedCases());
  return FailedCases() == 0 ? 0 : 1;
}
