// End-to-end test of the two chip jobs of Tarnwick.exe as a user runs
// them: reading the chip and saving it, and programming an image file with
// read-back verification and the bad-block log, through the real Open and
// Save As dialogs and message boxes. Each case starts the program in a
// fresh folder of its own (see program_case.h), drives it from outside,
// closes it, and then checks what was left behind: saved images, the log
// beside the program, the simulated chip (written when the program ends)
// and the trace of every port access.
//
//   jobs_e2e.exe DIST WORK SCREENS CODEPAGE
//
// DIST holds Tarnwick.exe, WINIO.dll and start.ini; case folders are made
// under WORK\芯片作业测试, and every file a case names is Chinese, so that
// paths go through the program's GBK conversions whatever the code page. A
// picture of the main dialog after programming a whole chip is saved in
// SCREENS as programmed.bmp. CODEPAGE is the ANSI code page the run is
// meant to have (checked first).
//
// Prints one line per case and a last line "N passed, N failed"; exit code 0
// only when every case passed.

#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "base/format.h"
#include "base/gbk.h"
#include "e2e/driver.h"
#include "e2e/program_case.h"

namespace {

// The bad-block log beside the program, and its first and last lines (GBK).
const wchar_t kLogName[] = L"坏块记录.txt";
const char kLogStart[] = "坏块记录开始:\r\n";
const char kLogEnd[] = "坏块记录结束:\r\n";
// A log left by an earlier run: programming replaces it, a refused image
// leaves it as it is.
const char kOldLog[] =
    "坏块记录开始:\r\n写地址0失败,写数据0,效验数据FF\r\n坏块记录结束:\r\n";

const wchar_t kImageName[] = L"程序映像.bin";
const wchar_t kNotStarted[] = L"未开始";
const wchar_t kChipBusy[] = L"芯片正忙,请等待当前操作结束";
const wchar_t kDefaultSignature[] = L"30H=1E,\t31H=51,\t32H=FF";
// The read-status label after reading PatternChip(), whose last byte is
// 0x0A.
const wchar_t kLastRead[] = L"ADDR=FFF,\tDATA=A";

// Programming takes about 3 ms an address after a one-second pause: a whole
// chip takes some 15 s.
constexpr DWORD kProgramMs = 60000;
constexpr DWORD kStartPauseMs = 1000;
// A job releases the chip just after closing its last file; it has surely
// ended this long after its last visible effect.
constexpr DWORD kJobEndSettleMs = 500;
// How long a message box that must not come is waited for.
constexpr DWORD kNoBoxMs = 1500;
// Closing stops a job at its next address or cancels its dialog: the
// program ends well within this.
constexpr DWORD kPromptExitMs = 3000;
// An image that takes about 6 s to program: time enough for the clicks
// that must be refused meanwhile.
constexpr size_t kBusyImageBytes = 2048;

std::wstring g_screens;  // where the pictures go

const std::string kBlankChip(kChipBytes, '\xFF');

// A chip that is not blank, its last byte 0x0A (shown as "A").
std::string PatternChip() {
  std::string chip(kChipBytes, '\0');
  for (size_t a = 0; a < kChipBytes; ++a)
    chip[a] = static_cast<char>((a * 7 + 3) % 0xFF);
  chip[0xFFF] = '\x0A';
  return chip;
}

using Pokes = std::vector<std::pair<size_t, uint8_t>>;

// An image of `size` bytes whose pattern shifts with every 256-byte page,
// so that a lost high address bit shows, with `pokes` written over it.
std::string Image(size_t size, const Pokes& pokes) {
  std::string image(size, '\0');
  for (size_t a = 0; a < size; ++a)
    image[a] = static_cast<char>((a * 13 + (a >> 8) * 0x35 + 0x5A) & 0xFF);
  for (const auto& poke : pokes)
    if (poke.first < size) image[poke.first] = static_cast<char>(poke.second);
  return image;
}

// A blank chip after `image` (at most 4096 bytes) was programmed into it.
std::string Programmed(const std::string& image) {
  return image + std::string(kChipBytes - image.size(), '\xFF');
}

std::wstring Hex(size_t value) {
  return GbkToWide(Format("%X", static_cast<unsigned>(value)));
}

// The write-status label after programming the last byte of `image`.
std::wstring LastWritten(const std::string& image) {
  const size_t last = image.size() - 1;
  return L"ADDR=" + Hex(last) + L",DATA=" +
         Hex(static_cast<uint8_t>(image[last]));
}

// Expects `got` to equal `want`; says where they first differ.
void ExpectBytes(ProgramCase& s, const std::wstring& what,
                 const std::string& got, const std::string& want) {
  if (got == want) return;
  size_t a = 0;
  while (a < got.size() && a < want.size() && got[a] == want[a]) ++a;
  s.Expect(false, what + L": " + std::to_wstring(got.size()) +
                      L" bytes, want " + std::to_wstring(want.size()) +
                      L"; they first differ at offset " + Hex(a));
}

void ExpectChip(ProgramCase& s, const std::string& want) {
  ExpectBytes(s, L"simchip.bin", s.Chip(), want);
}

void ExpectLog(ProgramCase& s, const std::string& want) {
  std::string log;
  if (!s.Expect(ReadBytes(s.dir() + kLogName, &log), L"no bad-block log"))
    return;
  s.Expect(log == want, L"bad-block log " + Quoted(GbkToWide(log)) +
                            L", want " + Quoted(GbkToWide(want)));
}

// Names of the files in `dir` (ending in "\"), sorted; the trace, which
// the board writes as it goes, left out.
std::vector<std::wstring> FilesIn(const std::wstring& dir) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((dir + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
        lstrcmpiW(found.cFileName, L"trace.txt") != 0)
      names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

std::wstring Listing(const std::vector<std::wstring>& names) {
  std::wstring out;
  for (const std::wstring& name : names)
    out += (out.empty() ? L"" : L", ") + name;
  return L"[" + out + L"]";
}

// True when nothing holds `path` open: it opens for reading and writing
// with no sharing.
bool NotHeldOpen(const std::wstring& path) {
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

HWND WaitMessageBox(DWORD pid, DWORD timeout_ms) {
  return WaitTopWindow(
      pid, [](HWND w) { return IsUsable(w) && IsMessageBox(w); }, timeout_ms);
}

// Expects a job's own message box with `text` (it has no owner window) and
// answers OK.
void ExpectJobMessage(ProgramCase& s, const std::wstring& text) {
  HWND box = WaitMessageBox(s.pid(), kWaitMs);
  if (!s.Expect(box != nullptr,
                L"no message box " + Quoted(text) + L" within 10 s"))
    return;
  s.ExpectText(L"message box text", MessageBoxText(box), text);
  s.ExpectText(L"message box caption", TextOf(box), L"Tarnwick");
  s.Expect(GetWindow(box, GW_OWNER) == nullptr,
           L"the job's message box has an owner window");
  ClickButton(box, IDOK);
  s.Expect(WaitGone(box, kWaitMs), L"message box still there after OK");
}

// Clicks `button` while a job holds the chip and expects it refused: the
// busy message box, owned by the main dialog, which is answered OK.
void ExpectRefused(ProgramCase& s, HWND dialog, int button) {
  const std::wstring what = L"button " + std::to_wstring(button) + L": ";
  ClickButton(dialog, button);
  HWND box = WaitMessageBox(s.pid(), kWaitMs);
  if (!s.Expect(box != nullptr, what + L"no busy message box within 10 s"))
    return;
  s.ExpectText(what + L"message box text", MessageBoxText(box), kChipBusy);
  s.Expect(GetWindow(box, GW_OWNER) == dialog,
           what + L"busy message box not owned by the main dialog");
  ClickButton(box, IDOK);
  s.Expect(WaitGone(box, kWaitMs), what + L"busy message box still there");
  s.Expect(WaitUntil([&] { return IsUsable(dialog); }, kWaitMs),
           what + L"main dialog not usable after the busy message box");
}

// Clicks "读bin文件并写89C51" and answers its Open dialog with `path`.
bool StartWrite(ProgramCase& s, HWND dialog, const std::wstring& path) {
  ClickButton(dialog, kWriteChipButton);
  HWND open = WaitFileDialog(s.pid(), kWaitMs);
  if (!s.Expect(open != nullptr, L"no Open dialog within 10 s")) return false;
  s.Expect(AnswerFileDialog(open, path), L"answering the Open dialog");
  return s.Expect(WaitGone(open, kWaitMs), L"Open dialog still there");
}

// Waits until the write-status label leaves its first text: programming
// has begun.
bool WaitProgramming(ProgramCase& s, HWND dialog) {
  return s.Expect(
      WaitUntil([&] { return ItemText(dialog, kWriteStatus) != kNotStarted; },
                kStartPauseMs + kWaitMs),
      L"programming did not begin within 11 s");
}

// A write case's folder: default ports, `board` settings, a blank chip, the
// old log and `image` as kImageName.
void SetUpWrite(ProgramCase& s, const char* board, const std::string& image) {
  s.UseDefaultStartIni();
  s.WriteBoard(board);
  s.WriteChip(kBlankChip);
  s.Expect(WriteBytes(s.dir() + kLogName, kOldLog), L"writing the old log");
  s.Expect(WriteBytes(s.dir() + kImageName, image), L"writing the image");
}

// --- Read the chip and save it.

enum class SaveAnswer {
  kSave,     // a new file
  kReplace,  // an existing file, "yes" to the overwrite prompt
  kKeep,     // an existing file, "no" to the prompt, then cancel
  kCancel,   // cancel the Save As dialog
};

struct ReadCase {
  const char* name;
  const wchar_t* file;   // the name typed into the Save As dialog
  const char* existing;  // that file's content before; null: no such file
  SaveAnswer answer;
};

const ReadCase kReadCases[] = {
    {"read and save", L"读出的芯片.bin", nullptr, SaveAnswer::kSave},
    // No default extension: the name is taken as typed.
    {"read and save without extension", L"芯片备份", nullptr,
     SaveAnswer::kSave},
    {"read and replace a file", L"旧映像.bin", "old image",
     SaveAnswer::kReplace},
    {"read, keep the file", L"旧映像.bin", "old image", SaveAnswer::kKeep},
    {"read and cancel the save", L"读出的芯片.bin", nullptr,
     SaveAnswer::kCancel},
};

// Waits for the overwrite prompt (a message box of the Save As dialog) and
// clicks `button` in it.
void AnswerOverwritePrompt(ProgramCase& s, HWND save, int button) {
  HWND prompt = WaitMessageBox(s.pid(), kWaitMs);
  if (!s.Expect(prompt != nullptr, L"no overwrite prompt within 10 s")) return;
  s.Expect(GetWindow(prompt, GW_OWNER) == save,
           L"message box " + Quoted(MessageBoxText(prompt)) +
               L" is not the Save As dialog's");
  ClickButton(prompt, button);
  s.Expect(WaitGone(prompt, kWaitMs), L"overwrite prompt still there");
}

void RunReadCase(const ReadCase& c) {
  ProgramCase s(c.name);
  s.UseDefaultStartIni();
  s.WriteBoard("");
  const std::string chip = PatternChip();
  s.WriteChip(chip);
  const std::wstring path = s.dir() + c.file;
  if (c.existing != nullptr)
    s.Expect(WriteBytes(path, c.existing), L"writing " + path);
  if (!s.Start()) return;
  HWND dialog = s.WaitMain();
  if (dialog == nullptr) return;
  const std::vector<std::wstring> before = FilesIn(s.dir());

  ClickButton(dialog, kReadChipButton);
  HWND save = WaitFileDialog(s.pid(), kWaitMs);
  if (!s.Expect(save != nullptr, L"no Save As dialog within 10 s")) {
    s.Finish(dialog, Closing::kSysClose);
    return;
  }
  s.ExpectTextWithin(
      L"read-status label", [&] { return ReadStatusText(dialog); }, kLastRead,
      kWaitMs);
  if (c.answer == SaveAnswer::kCancel) {
    PostCommand(save, IDCANCEL);
  } else {
    s.Expect(AnswerFileDialog(save, path), L"answering the Save As dialog");
    if (c.answer == SaveAnswer::kReplace) AnswerOverwritePrompt(s, save, IDYES);
    if (c.answer == SaveAnswer::kKeep) {
      AnswerOverwritePrompt(s, save, IDNO);
      s.Expect(WaitUntil([&] { return IsUsable(save); }, kWaitMs),
               L"Save As dialog not usable again after \"no\"");
      PostCommand(save, IDCANCEL);
    }
  }
  s.Expect(WaitGone(save, kWaitMs), L"Save As dialog still there");
  HWND box = WaitMessageBox(s.pid(), kNoBoxMs);
  s.Expect(box == nullptr,
           L"message box after the Save As dialog: " +
               Quoted(box != nullptr ? MessageBoxText(box) : L""));
  const bool saved =
      c.answer == SaveAnswer::kSave || c.answer == SaveAnswer::kReplace;
  if (saved) s.Expect(NotHeldOpen(path), L"the saved file is still held open");
  s.ExpectText(L"read-status label at the end", ReadStatusText(dialog),
               kLastRead);
  s.Finish(dialog, Closing::kSysClose);

  std::vector<std::wstring> want = before;
  if (c.answer == SaveAnswer::kSave) want.push_back(c.file);
  std::sort(want.begin(), want.end());
  const std::vector<std::wstring> after = FilesIn(s.dir());
  s.Expect(after == want,
           L"files " + Listing(after) + L", want " + Listing(want));
  std::string bytes;
  if (saved && s.Expect(ReadBytes(path, &bytes), L"no file " + path))
    ExpectBytes(s, L"saved file", bytes, chip);
  if (c.answer == SaveAnswer::kKeep && ReadBytes(path, &bytes))
    ExpectBytes(s, L"kept file", bytes, c.existing);
  ExpectChip(s, chip);
}

// --- Program an image, verify it and log the addresses that fail.

struct WriteCase {
  const char* name;
  size_t image_size;
  Pokes pokes;             // image bytes set apart from the pattern
  const wchar_t* typed;    // name typed into the Open dialog (null: the image)
  const char* board;       // simboard.ini settings
  const wchar_t* message;  // the job's message box (null: it programs)
  std::vector<const char*> failures;  // log lines between start and end
  const wchar_t* label;               // the write-status label at the end
  const wchar_t* picture;  // picture of the main dialog at the end, or null
};

const WriteCase kWriteCases[] = {
    {"program 4096 bytes",
     kChipBytes,
     {{0xFFF, 0x0A}},
     nullptr,
     "",
     nullptr,
     {},
     L"ADDR=FFF,DATA=A",
     L"programmed"},
    // Stuck bits at 5, 10 and 2F contradict the image, those at 20 agree
    // with it; the failing value read back is the image byte with them.
    {"program a chip with stuck bits",
     0x30,
     {{0x5, 0x35}, {0x10, 0x0A}, {0x20, 0x40}, {0x2F, 0xC3}},
     nullptr,
     "stuck = 5:01:00\nstuck = 10:00:80\nstuck = 20:02:00\n"
     "stuck = 2F:80:04",
     nullptr,
     {"写地址5失败,写数据35,效验数据34\r\n",
      "写地址10失败,写数据A,效验数据8A\r\n",
      "写地址2F失败,写数据C3,效验数据47\r\n"},
     L"ADDR=2F,DATA=47",
     nullptr},
    {"program an empty image",
     0,
     {},
     nullptr,
     "",
     nullptr,
     {},
     kNotStarted,
     nullptr},
    {"image of 4097 bytes refused",
     kChipBytes + 1,
     {},
     nullptr,
     "",
     L"*.bin文件不能大于4k",
     {},
     kNotStarted,
     nullptr},
    {"image that cannot be opened",
     16,
     {},
     L"没有这个映像.bin",
     "",
     L"Could not open *.jmu.",
     {},
     kNotStarted,
     nullptr},
};

void RunWriteCase(const WriteCase& c) {
  ProgramCase s(c.name);
  const std::string image = Image(c.image_size, c.pokes);
  SetUpWrite(s, c.board, image);
  if (!s.Start()) return;
  HWND dialog = s.WaitMain();
  if (dialog == nullptr) return;
  const std::wstring path = s.dir() + (c.typed ? c.typed : kImageName);
  if (!StartWrite(s, dialog, path)) {
    s.Finish(dialog, Closing::kSysClose);
    return;
  }
  const DWORD start = GetTickCount();
  if (c.message != nullptr)
    ExpectJobMessage(s, c.message);
  else if (image.empty())
    Sleep(kStartPauseMs);
  auto label = [&] { return ItemText(dialog, kWriteStatus); };
  if (s.ExpectTextWithin(L"write-status label", label, c.label, kProgramMs) &&
      c.message == nullptr && !image.empty())
    s.Note(L"programmed in " + std::to_wstring(GetTickCount() - start) +
           L" ms");
  Sleep(kJobEndSettleMs);
  s.ExpectText(L"write-status label at the end", label(), c.label);
  s.Expect(NotHeldOpen(s.dir() + kImageName), L"the image is still held open");
  if (c.picture != nullptr)
    s.Expect(SaveWindowBitmap(dialog, g_screens + L"\\" + c.picture + L".bmp"),
             L"picture of the main dialog");
  s.Finish(dialog, Closing::kSysClose);

  if (c.message != nullptr) {
    ExpectLog(s, kOldLog);
    ExpectChip(s, kBlankChip);
    return;
  }
  std::string log = kLogStart;
  for (const char* line : c.failures) log += line;
  ExpectLog(s, log + kLogEnd);
  ExpectChip(s, Programmed(image));
}

// --- A second chip command while a job holds the chip is refused.

struct BusyCase {
  const char* name;
  int job;                   // the button starting the job
  std::vector<int> refused;  // buttons clicked while it runs, in order
};

const BusyCase kBusyCases[] = {
    {"commands refused while programming",
     kWriteChipButton,
     {kEraseChipButton, kReadSignatureButton, kReadChipButton,
      kWriteChipButton}},
    {"commands refused while saving",
     kReadChipButton,
     {kEraseChipButton, kWriteChipButton, kReadSignatureButton}},
};

void RunBusyCase(const BusyCase& c) {
  ProgramCase s(c.name);
  const bool writing = c.job == kWriteChipButton;
  const std::string image = Image(kBusyImageBytes, {});
  const std::string chip = writing ? kBlankChip : PatternChip();
  s.UseDefaultStartIni();
  s.WriteBoard("");
  s.WriteChip(chip);
  if (writing)
    s.Expect(WriteBytes(s.dir() + kImageName, image), L"writing the image");
  if (!s.Start()) return;
  HWND dialog = s.WaitMain();
  if (dialog == nullptr) return;

  HWND save = nullptr;
  if (writing) {
    if (!StartWrite(s, dialog, s.dir() + kImageName) ||
        !WaitProgramming(s, dialog)) {
      s.Finish(dialog, Closing::kSysClose);
      return;
    }
  } else {
    ClickButton(dialog, kReadChipButton);
    save = WaitFileDialog(s.pid(), kWaitMs);
    if (!s.Expect(save != nullptr, L"no Save As dialog within 10 s")) {
      s.Finish(dialog, Closing::kSysClose);
      return;
    }
  }
  for (int button : c.refused) ExpectRefused(s, dialog, button);

  if (writing) {
    s.ExpectTextWithin(
        L"write-status label", [&] { return ItemText(dialog, kWriteStatus); },
        LastWritten(image), kProgramMs);
  } else {
    PostCommand(save, IDCANCEL);
    s.Expect(WaitGone(save, kWaitMs), L"Save As dialog still there");
  }
  // Once the job has ended the chip is free again.
  Sleep(kJobEndSettleMs);
  s.ExpectText(L"signature after the job", s.ReadSignature(dialog),
               kDefaultSignature);
  s.Finish(dialog, Closing::kSysClose);
  ExpectChip(s, writing ? Programmed(image) : chip);
  if (writing) ExpectLog(s, std::string(kLogStart) + kLogEnd);
}

// --- Closing the program while a job runs.

enum class Stage {
  kProgramming,  // a write job is programming a whole chip
  kOpenDialog,   // a write job's Open dialog shows
  kMessageBox,   // a write job's message box (image too big) shows
  kSaveDialog,   // a read job's Save As dialog shows
};

struct CloseCase {
  const char* name;
  Stage stage;
};

const CloseCase kCloseCases[] = {
    {"closed while programming", Stage::kProgramming},
    {"closed while the Open dialog shows", Stage::kOpenDialog},
    {"closed while a job's message box shows", Stage::kMessageBox},
    {"closed while the Save As dialog shows", Stage::kSaveDialog},
};

// Expects the chip to hold a prefix of `image`, longer than the address
// the write-status label `shown` but shorter than the image, and to be
// blank beyond it.
void ExpectProgrammedPrefix(ProgramCase& s, const std::string& image,
                            const std::wstring& shown) {
  const std::string chip = s.Chip();
  size_t n = 0;
  while (n < chip.size() && n < image.size() && chip[n] == image[n]) ++n;
  unsigned last = 0;
  if (s.Expect(std::swscanf(shown.c_str(), L"ADDR=%x,", &last) == 1,
               L"write-status label before closing: " + Quoted(shown)))
    s.Expect(n > last, L"the chip holds the image up to " + Hex(n) +
                           L" only, but " + Quoted(shown) + L" showed");
  s.Expect(n < image.size(),
           L"the whole image was programmed: closing did not stop the job");
  s.Expect(chip.size() == kChipBytes &&
               chip.substr(n) == std::string(kChipBytes - n, '\xFF'),
           L"the chip is not blank after the programmed " + Hex(n) + L" bytes");
}

void RunCloseCase(const CloseCase& c) {
  ProgramCase s(c.name);
  const size_t size =
      c.stage == Stage::kMessageBox ? kChipBytes + 1 : kChipBytes;
  const std::string image = Image(size, {});
  SetUpWrite(s, "", image);
  if (!s.Start()) return;
  HWND dialog = s.WaitMain();
  if (dialog == nullptr) return;
  const std::vector<std::wstring> before = FilesIn(s.dir());

  switch (c.stage) {
    case Stage::kProgramming:
      if (StartWrite(s, dialog, s.dir() + kImageName) &&
          WaitProgramming(s, dialog))
        Sleep(500);  // some way in
      break;
    case Stage::kOpenDialog:
      ClickButton(dialog, kWriteChipButton);
      s.Expect(WaitFileDialog(s.pid(), kWaitMs) != nullptr,
               L"no Open dialog within 10 s");
      break;
    case Stage::kMessageBox:
      if (StartWrite(s, dialog, s.dir() + kImageName))
        s.Expect(WaitMessageBox(s.pid(), kWaitMs) != nullptr,
                 L"no message box within 10 s");
      break;
    case Stage::kSaveDialog:
      ClickButton(dialog, kReadChipButton);
      s.Expect(WaitFileDialog(s.pid(), kWaitMs) != nullptr,
               L"no Save As dialog within 10 s");
      break;
  }
  const std::wstring shown = ItemText(dialog, kWriteStatus);
  const DWORD start = GetTickCount();
  s.Finish(dialog, Closing::kSysClose);
  const DWORD took = GetTickCount() - start;
  s.Expect(took < kPromptExitMs, L"the program took " + std::to_wstring(took) +
                                     L" ms to end, want under " +
                                     std::to_wstring(kPromptExitMs));
  s.Note(L"ended " + std::to_wstring(took) + L" ms after the close command");

  const std::vector<std::wstring> after = FilesIn(s.dir());
  s.Expect(after == before,
           L"files " + Listing(after) + L", want " + Listing(before));
  if (c.stage == Stage::kProgramming) {
    ExpectLog(s, std::string(kLogStart) + kLogEnd);
    ExpectProgrammedPrefix(s, image, shown);
  } else {
    ExpectLog(s, kOldLog);
    ExpectChip(s, kBlankChip);
  }
}

// The run's own conditions: the code page it was meant to have, and GBK
// literals that say what the wide ones say.
bool CheckConditions(UINT codepage) {
  CaseResult r("run conditions");
  r.Expect(GetACP() == codepage, L"ANSI code page " +
                                     std::to_wstring(GetACP()) + L", want " +
                                     std::to_wstring(codepage));
  r.Expect(GbkToWide(kLogStart) == L"坏块记录开始:\r\n" &&
               GbkToWide(kLogEnd) == L"坏块记录结束:\r\n",
           L"GBK literals differ from the wide ones");
  return r.ok();
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc != 5) {
    std::fprintf(stderr, "usage: jobs_e2e DIST WORK SCREENS CODEPAGE\n");
    return 2;
  }
  g_screens = argv[3];
  std::printf("ANSI code page %u\n", GetACP());
  const std::wstring work = std::wstring(argv[2]) + L"\\芯片作业测试";
  if (!SetCaseFolders(argv[1], work)) {
    CaseResult r("case folders");
    r.Expect(false, L"cannot make " + work);
  }
  if (CheckConditions(static_cast<UINT>(std::wcstoul(argv[4], nullptr, 10))) &&
      FailedCases() == 0) {
    for (const ReadCase& c : kReadCases) RunReadCase(c);
    for (const WriteCase& c : kWriteCases) RunWriteCase(c);
    for (const BusyCase& c : kBusyCases) RunBusyCase(c);
    for (const CloseCase& c : kCloseCases) RunCloseCase(c);
  }
  std::printf("%d passed, %d failed\n", PassedCases(), FailedCases());
  return FailedCases() == 0 ? 0 : 1;
}
