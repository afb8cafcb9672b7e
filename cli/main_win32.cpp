// tarnwick.exe on Windows: arguments arrive as wide text and travel on as
// UTF-8; output is UTF-8 for the console.

#include <windows.h>

#include <io.h>

#include <atomic>
#include <cstdio>
#include <cwchar>
#include <iostream>
#include <string>
#include <vector>

#include "base/file.h"
#include "cli/cli.h"
#include "winio/winio_library.h"

namespace {

std::atomic<bool> interrupted{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  interrupted = true;
  return TRUE;
}

// `wide` as UTF-8; false when it is not valid UTF-16 (a lone surrogate),
// which no file name given on to the system could then match.
bool ToUtf8(const wchar_t* wide, std::string* utf8) {
  const int length = static_cast<int>(std::wcslen(wide));
  // Checked by hand: the system's own check needs Windows Vista.
  for (int n = 0; n < length; ++n) {
    const bool high = wide[n] >= 0xD800 && wide[n] <= 0xDBFF;
    const bool low = wide[n] >= 0xDC00 && wide[n] <= 0xDFFF;
    if (low) return false;
    if (high && !(n + 1 < length && wide[n + 1] >= 0xDC00 &&
                  wide[n + 1] <= 0xDFFF))
      return false;
    if (high) ++n;
  }
  utf8->clear();
  if (length == 0) return true;
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0,
                                      nullptr, nullptr);
  utf8->assign(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide, length, &(*utf8)[0], n, nullptr,
                        nullptr);
  return true;
}

std::unique_ptr<PortIo> OpenRealPort(std::string* why) {
  return LoadWinIoLibrary(ExecutableDirectory(), why);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ::SetConsoleOutputCP(CP_UTF8);
  ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  std::vector<std::string> args;
  for (int n = 1; n < argc; ++n) {
    std::string arg;
    if (!ToUtf8(argv[n], &arg)) {
      std::cerr << "tarnwick: argument " << n
                << " is not valid Unicode text and cannot name a file; it "
                   "was not changed to fit\n";
      return kExitBadUsage;
    }
    args.push_back(arg);
  }
  CliEnv env;
  env.out = &std::cout;
  env.err = &std::cerr;
  env.err_is_terminal = _isatty(_fileno(stderr)) != 0;
  env.clock = RealClock();
  env.interrupted = &interrupted;
  env.open_real_port = OpenRealPort;
  const int code = RunCli(args, env);
  std::cout.flush();
  return code;
}
