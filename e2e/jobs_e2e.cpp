// End-to-end test of the two chip jobs of Tarnwick.exe as a user runs
// them: reading the chip and saving it, and programming an image file with
// read-back verification and the bad-block log, through the real Open and
// Save As dialogs and message boxes. Each case starts the program in a
// fresh folder of its own (see program_case.h), drives it from outside,
// closes it, and then checks what was left behind: saved images, the log
// beside the program, the simulated chip (written when the program ends)
// and the trace of every port access. The case folders and the image files
// are named with characters GBK lacks (Korean, an emoji) beside Chinese
// ones, so that every path must reach the files unchanged whatever the
// code page. Picture: programmed.bmp, the main dialog after programming a
// whole chip.
//
//   jobs_e2e.exe DIST WORK SCREENS CODEPAGE   (see RunCases)

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

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

const wchar_t kImageName[] = L"프로그램_程序映像.bin";

// Programming takes about 3 ms an address after a one-second pause: a whole
// chip takes some 15 s, well within kWaitMs.
constexpr DWORD kStartPauseMs = 1000;

const std::string kBlankChip(kChipBytes, '\xFF');

const wchar_t kChipBusy[] = L"芯片正忙,请等待当前操作结束";

using Pokes = std::vector<std::pair<size_t, uint8_t>>;

// An image of `size` bytes whose pattern shifts with every 256-byte page,
// so that a lost high address bit shows, with `pokes` written over it.
std::string Image(size_t size, const Pokes& pokes) {
  std::string image(size, '\0');
  for (size_t a = 0; a < size; ++a)
    image[a] = static_cast<char>((a * 13 + (a >> 8) * 0x35 + 0x5A) & 0xFF);
  for (const auto& poke : pokes)
    image[poke.first] = static_cast<char>(poke.second);
  return image;
}

// Expects `got` to equal `want`; says where they first differ.
void ExpectBytes(ProgramCase& s, const std::wstring& what,
                 const std::string& got, const std::string& want) {
  size_t a = 0;
  while (a < got.size() && a < want.size() && got[a] == want[a]) ++a;
  s.Expect(got == want, what + L": " + std::to_wstring(got.size()) +
                            L" bytes, want " + std::to_wstring(want.size()) +
                            L"; they first differ at offset " +
                            std::to_wstring(a));
}

void ExpectLog(ProgramCase& s, const std::string& want) {
  std::string log;
  if (s.Expect(ReadBytes(s.dir() + kLogName, &log), L"no bad-block log"))
    s.ExpectText(L"bad-block log", GbkToWide(log), GbkToWide(want));
}

// Names of the files in `dir` (ending in "\"), sorted and joined; the
// trace, which the board writes as it goes, left out.
std::wstring FilesIn(const std::wstring& dir) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((dir + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return L"";
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
        lstrcmpiW(found.cFileName, L"trace.txt") != 0)
      names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  std::wstring out;
  for (const std::wstring& name : names) out += name + L"; ";
  return out;
}

// True when nothing holds `path` open: it opens for reading and writing
// with no sharing.
bool NotHeldOpen(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

// Waits for a write job to end: its last act is closing the bad-block log.
bool WaitJobLogClosed(ProgramCase& s) {
  return s.Expect(
      WaitUntil([&] { return NotHeldOpen(s.dir() + kLogName); }, kWaitMs),
      L"the bad-block log is still held open");
}

// Clicks "读特征字" until the chip is free: while a job still releases it,
// the click shows the busy message box, which is answered. The signature
// text once it shows.
std::wstring SignatureOnceFree(ProgramCase& s, HWND dialog) {
  const auto shown = [&] {
    return !ItemText(dialog, IDC_SIGNATURE_TEXT).empty();
  };
  WaitUntil(
      [&] {
        ClickButton(dialog, IDC_READ_SIGNATURE);
        HWND busy = nullptr;
        WaitUntil(
            [&] {
              busy = WaitMessageBox(s.pid(), 0);
              return shown() || busy != nullptr;
            },
            kWaitMs);
        if (busy == nullptr) return true;
        ClickButton(busy, IDOK);
        WaitGone(busy, kWaitMs);
        return false;
      },
      kWaitMs);
  s.Expect(shown(), L"no signature");
  return ItemText(dialog, IDC_SIGNATURE_TEXT);
}

// A write case's folder: `board` settings, a blank chip, the old log and
// `image` as kImageName.
void SetUpWrite(ProgramCase& s, const char* board, const std::string& image) {
  s.WriteBoard(board);
  s.WriteChip(kBlankChip);
  s.Expect(WriteBytes(s.dir() + kLogName, kOldLog), L"writing the old log");
  s.Expect(WriteBytes(s.dir() + kImageName, image), L"writing the image");
}

// Clicks "读bin文件并写89C51" and answers its Open dialog with the image.
bool StartWrite(ProgramCase& s, HWND dialog) {
  ClickButton(dialog, IDC_WRITE_CHIP);
  HWND open = WaitFileDialog(s.pid(), kWaitMs);
  return s.Expect(open != nullptr, L"no Open dialog") &&
         s.Expect(AnswerFileDialog(open, s.dir() + kImageName) &&
                      WaitGone(open, kWaitMs),
                  L"Open dialog not answered");
}

// Waits until the write-status label leaves its first text: programming
// has begun.
bool WaitProgramming(ProgramCase& s, HWND dialog) {
  return s.Expect(
      WaitUntil(
          [&] { return ItemText(dialog, IDC_WRITE_STATUS) != kNotStarted; },
          kStartPauseMs + kWaitMs),
      L"programming did not begin");
}

// --- A whole chip programmed while every other chip command is refused,
// then read back and saved: into a new file, over an existing file (the
// overwrite prompt answered yes), and not at all (the save cancelled). The
// session makes more port accesses than WINIO.dll holds before writing its
// trace, so the trace reaches the file in parts.

// Clicks "读89c51并保存" and answers the Save As dialog with `path`, or
// cancels it when `path` is empty; `replace`: expects the overwrite prompt
// and answers yes.
void ReadAndSave(ProgramCase& s, HWND dialog, const std::wstring& path,
                 bool replace) {
  ClickButton(dialog, IDC_READ_CHIP);
  HWND save = WaitFileDialog(s.pid(), kWaitMs);
  if (!s.Expect(save != nullptr, L"no Save As dialog")) return;
  // The read-status label after reading the image, whose last byte is 0x0A.
  s.ExpectTextWithin(
      L"read-status label", [&] { return ReadStatusText(dialog); },
      L"ADDR=FFF,\tDATA=A", kWaitMs);
  if (path.empty())
    PostCommand(save, IDCANCEL);
  else
    s.Expect(AnswerFileDialog(save, path), L"answering the Save As dialog");
  if (replace) {
    HWND prompt = WaitMessageBox(s.pid(), kWaitMs);
    s.Expect(prompt != nullptr && GetWindow(prompt, GW_OWNER) == save,
             L"no overwrite prompt of the Save As dialog");
    ClickButton(prompt, IDYES);
  }
  s.Expect(WaitGone(save, kWaitMs), L"Save As dialog still there");
  HWND box = WaitMessageBox(s.pid(), 1500);
  s.Expect(box == nullptr,
           L"message box after the Save As dialog: " +
               Quoted(box != nullptr ? MessageBoxText(box) : L""));
  s.Expect(path.empty() || NotHeldOpen(path), L"saved file still held open");
}

void RunSessionCase() {
  ProgramCase s("program a whole chip, read it back and save it");
  const std::string image = Image(kChipBytes, {{0xFFF, 0x0A}});
  SetUpWrite(s, "", image);
  const std::wstring old_file = s.dir() + L"旧映像.bin";
  const std::wstring new_file = s.dir() + L"읽은_读出的芯片_🙂.bin";
  s.Expect(WriteBytes(old_file, "old image"), L"writing " + old_file);
  HWND dialog = s.StartMain();
  if (dialog == nullptr) return;
  const std::wstring files = FilesIn(s.dir());
  if (!StartWrite(s, dialog) || !WaitProgramming(s, dialog)) {
    s.Finish(dialog);
    return;
  }
  const DWORD start = GetTickCount();
  for (int button :
       {IDC_ERASE_CHIP, IDC_READ_SIGNATURE, IDC_READ_CHIP, IDC_WRITE_CHIP}) {
    ClickButton(dialog, button);
    s.AnswerMessage(kChipBusy, dialog);
    s.Expect(WaitUntil([&] { return IsUsable(dialog); }, kWaitMs),
             L"main dialog not usable after the busy message box");
  }
  if (s.ExpectTextWithin(
          L"write-status label",
          [&] { return ItemText(dialog, IDC_WRITE_STATUS); },
          L"ADDR=FFF,DATA=A", kWaitMs))
    s.Note(L"programmed in about " + std::to_wstring(GetTickCount() - start) +
           L" ms");
  WaitJobLogClosed(s);
  s.Expect(NotHeldOpen(s.dir() + kImageName), L"the image is still held open");
  s.Picture(dialog, L"programmed");
  // Once the job has ended the chip is free again.
  s.ExpectText(L"signature after the job", SignatureOnceFree(s, dialog),
               kDefaultSignature);
  ReadAndSave(s, dialog, new_file, false);
  ReadAndSave(s, dialog, old_file, true);
  ReadAndSave(s, dialog, L"", false);
  s.Finish(dialog);

  ExpectLog(s, std::string(kLogStart) + kLogEnd);
  ExpectBytes(s, L"simchip.bin", s.Chip(), image);
  std::string saved;
  for (const std::wstring& path : {new_file, old_file}) {
    s.Expect(ReadBytes(path, &saved), L"no file " + path);
    ExpectBytes(s, path, saved, image);
  }
  // The session made no file but the new one.
  DeleteFileW(new_file.c_str());
  s.ExpectText(L"other files after the session", FilesIn(s.dir()), files);
}

// --- An image larger than the chip is refused: a message, nothing
// programmed, the old log kept.

void RunOversizeCase() {
  ProgramCase s("image of 4097 bytes refused");
  SetUpWrite(s, "", Image(kChipBytes + 1, {}));
  HWND dialog = s.StartMain();
  if (dialog == nullptr) return;
  if (StartWrite(s, dialog)) s.AnswerMessage(L"*.bin文件不能大于4k", nullptr);
  s.ExpectText(L"write-status label", ItemText(dialog, IDC_WRITE_STATUS),
               kNotStarted);
  s.Finish(dialog);
  ExpectLog(s, kOldLog);
  ExpectBytes(s, L"simchip.bin", s.Chip(), kBlankChip);
}

// --- Closing the program while it programs a whole chip, however it is
// asked to end, and also while busy message boxes show, one opened over the
// other (each runs a modal loop inside the dialog's own): the job stops at
// its next address, the log is completed, the chip saved, and the program
// ends promptly.

struct CloseCase {
  const char* name;
  int busy_boxes;  // open when closing, each over the one before
  Closing how;
};

const CloseCase kCloseCases[] = {
    {"closed while programming", 0, Closing::kSysClose},
    {"closed by the close command over two busy boxes", 2, Closing::kSysClose},
    {"closed by a posted WM_CLOSE over two busy boxes", 2,
     Closing::kPostedClose},
};

// The busy message boxes the program shows.
int BusyBoxes(DWORD pid) {
  int n = 0;
  FindTopWindow(pid, [&n](HWND w) {
    n += MessageBoxText(w) == kChipBusy;
    return false;
  });
  return n;
}

void RunCloseCase(const CloseCase& c) {
  ProgramCase s(c.name);
  const std::string image = Image(kChipBytes, {});
  SetUpWrite(s, "", image);
  HWND dialog = s.StartMain();
  if (dialog == nullptr) return;
  const std::wstring files = FilesIn(s.dir());
  // The label shows an address once it is programmed.
  if (StartWrite(s, dialog)) WaitProgramming(s, dialog);
  for (int n = 1; n <= c.busy_boxes; ++n) {
    ClickButton(dialog, IDC_ERASE_CHIP);
    s.Expect(WaitUntil([&] { return BusyBoxes(s.pid()) == n; }, kWaitMs),
             L"busy message boxes: " + std::to_wstring(BusyBoxes(s.pid())) +
                 L", want " + std::to_wstring(n));
  }
  const DWORD took = s.Finish(dialog, c.how);
  s.Expect(took < 3000, L"the program took " + std::to_wstring(took) +
                            L" ms to end, want under 3000");
  s.Note(L"ended " + std::to_wstring(took) + L" ms after being asked to");

  s.ExpectText(L"files after closing", FilesIn(s.dir()), files);
  ExpectLog(s, std::string(kLogStart) + kLogEnd);
  // Programmed some way in, blank beyond.
  const std::string chip = s.Chip();
  size_t n = 0;
  while (n < chip.size() && n < image.size() && chip[n] == image[n]) ++n;
  s.Expect(n > 0 && n < kChipBytes,
           L"the chip holds " + std::to_wstring(n) +
               L" bytes of the image: want some, not all");
  s.Expect(chip.size() == kChipBytes &&
               chip.substr(n) == std::string(kChipBytes - n, '\xFF'),
           L"the chip is not blank after the programmed bytes");
}

void RunAll() {
  RunSessionCase();
  RunOversizeCase();
  for (const CloseCase& c : kCloseCases) RunCloseCase(c);
}

}  // namespace

int main() { return RunCases(L"芯片作业_kr_한국", RunAll); }
