// End-to-end test of Tarnwick.exe's main dialog as a user sees it: each
// case starts the real program in a fresh folder of its own (see
// program_case.h), drives it from outside, reads what its windows show,
// closes it, and then checks the files the simulated board left: the chip's
// content and the trace of every port access. Pictures: main.bmp and
// about.bmp.
//
//   dialog_e2e.exe DIST WORK SCREENS CODEPAGE   (see RunCases)

#include <windows.h>

#include <string>

#include "e2e/driver.h"
#include "e2e/program_case.h"

namespace {

const wchar_t kDefaultPortText[] =
    L"rtl8139 I/O基地址:\t0xC000\nEPP 并口地址:\t\t0x378";

// A chip that is not blank: a byte pattern with no 0xFF in it.
std::string NonBlankChip() {
  std::string chip(kChipBytes, '\0');
  for (size_t a = 0; a < kChipBytes; ++a)
    chip[a] = static_cast<char>((a * 7 + 3) % 0xFF);
  return chip;
}

// --- Start-up: port text from start.ini and the signature on those ports.

struct StartupCase {
  const char* name;
  const char* start_ini;  // null: the default one
  const char* board;      // simboard.ini settings, matching the ports
  const wchar_t* port_text;
  const wchar_t* signature;
  bool refused;  // WINIO.dll refuses the board: no port access, no trace
};

const StartupCase kStartupCases[] = {
    {"default start.ini and board", nullptr, "", kDefaultPortText,
     kDefaultSignature, false},
    {"start.ini e800 and 0x278",
     "[TARNWICK]\r\nRTL8139ADDR=e800;\r\nEPPADDR=0x278;\r\n",
     "rtl_base = E800\nepp_port = 278",
     L"rtl8139 I/O基地址:\t0xE800\nEPP 并口地址:\t\t0x278", kDefaultSignature,
     false},
    {"signature 12 34 05", nullptr, "signature = 12 34 05", kDefaultPortText,
     L"30H=12,\t31H=34,\t32H=5", false},
    // WINIO.dll refuses port access: reads give FF, an erase never reaches
    // the chip file.
    {"malformed simboard.ini refused", nullptr, "no_such_key = 1",
     kDefaultPortText, L"30H=FF,\t31H=FF,\t32H=FF", true},
};

void RunStartupCase(const StartupCase& c) {
  ProgramCase s(c.name);
  if (c.start_ini != nullptr) s.WriteStartIni(c.start_ini);
  s.WriteBoard(c.board);
  s.WriteChip(NonBlankChip());
  HWND dialog = s.StartMain();
  if (dialog == nullptr) return;
  s.ExpectText(L"port text", ItemText(dialog, IDC_PORT_TEXT), c.port_text);
  if (c.refused) ClickButton(dialog, IDC_ERASE_CHIP);
  s.ExpectText(L"signature", s.ReadSignature(dialog), c.signature);
  s.Finish(dialog, Closing::kSysClose, !c.refused);
  s.Expect(s.Chip() == NonBlankChip(), L"simchip.bin changed");
}

// --- No start.ini: the message box, then the defaults.

void RunMissingStartIniCase() {
  ProgramCase s("missing start.ini");
  s.WriteStartIni(nullptr);
  if (!s.Start()) return;
  HWND box = WaitMessageBox(s.pid(), kWaitMs);
  s.Expect(
      box == nullptr ||
          FindTopWindow(s.pid(), [box](HWND w) { return w != box; }) == nullptr,
      L"another window shows beside the message box");
  s.AnswerMessage(s.dir() + L"start.ini不能被打开", nullptr);
  HWND dialog = s.WaitMain();
  if (dialog == nullptr) return;
  s.ExpectText(L"port text", ItemText(dialog, IDC_PORT_TEXT), kDefaultPortText);
  s.ExpectText(L"signature", s.ReadSignature(dialog), kDefaultSignature);
  s.Finish(dialog);
}

// --- The About box from the system menu; port access stays open.

void RunAboutCase() {
  ProgramCase s("about box");
  HWND dialog = s.StartMain();
  if (dialog == nullptr) return;
  PostSysCommand(dialog, IDM_ABOUTBOX);
  HWND about = WaitTopWindow(
      s.pid(), [](HWND w) { return TextOf(w) == L"关于 Tarnwick"; }, kWaitMs);
  if (s.Expect(about != nullptr, L"no window \"关于 Tarnwick\"")) {
    s.Expect(HasChildWithText(about, L"Tarnwick 1.0 版"),
             L"About box without \"Tarnwick 1.0 版\"");
    s.ExpectText(L"About box button", ItemText(about, IDOK), L"确定");
    s.Expect(!IsWindowEnabled(dialog),
             L"main dialog takes input while the About box shows");
    s.Picture(about, L"about");
    ClickButton(about, IDOK);
    s.Expect(WaitGone(about, kWaitMs), L"About box still there after OK");
  }
  s.Expect(WaitUntil([&] { return IsUsable(dialog); }, kWaitMs),
           L"main dialog not usable after the About box");
  s.ExpectText(L"signature after About", s.ReadSignature(dialog),
               kDefaultSignature);
  s.Picture(dialog, L"main");
  s.Finish(dialog);
}

// --- Moved, minimised and restored, the chip commands still work (an
// erase leaves the chip blank); each way of closing then ends the program
// and releases port access once.

struct ClosingCase {
  const char* name;
  Closing how;
};

const ClosingCase kClosingCases[] = {
    {"erased after moving, closed by the close command", Closing::kSysClose},
    {"erased after moving, closed by Esc", Closing::kEscapeKey},
    {"erased after moving, closed by IDOK (Enter)", Closing::kOkCommand},
};

void RunClosingCase(const ClosingCase& c) {
  ProgramCase s(c.name);
  s.WriteChip(NonBlankChip());
  HWND dialog = s.StartMain();
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
  ClickButton(dialog, IDC_ERASE_CHIP);
  // Handled in order: once the signature shows, the erase has ended.
  s.ExpectText(L"signature", s.ReadSignature(dialog), kDefaultSignature);
  s.Finish(dialog, c.how);
  s.Expect(s.Chip() == std::string(kChipBytes, '\xFF'),
           L"simchip.bin is not blank (4096 bytes FF) after erasing");
}

void RunAll() {
  for (const StartupCase& c : kStartupCases) RunStartupCase(c);
  RunMissingStartIniCase();
  RunAboutCase();
  for (const ClosingCase& c : kClosingCases) RunClosingCase(c);
}

}  // namespace

int main() { return RunCases(L"对话框_kr_한국", RunAll); }
