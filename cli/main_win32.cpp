// tarnwick.exe on Windows: arguments arrive as wide text and travel on as
// UTF-8; output is UTF-8 for the console.

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cwchar>
#include <iostream>
#include <string>
#include <vector>

#include "base/file.h"
#include "cli/cli.h"
#include "winio/port_library.h"

namespace {

// The POSIX number of a hang-up: a closed console is one.
constexpr int kSigHangUp = 1;

std::atomic<bool> interrupted{false};
// The signal number of the first console event that asked the run to
// stop, as the C runtime numbers them; 0 while none has.
std::atomic<int> stop_signal{0};
// Set when the run has ended, ports released and files written.
HANDLE run_ended = nullptr;

// Ctrl-C, Ctrl-Break and closing the console (or logging off, shutting
// down) stop the operation at the next address. For the last three the
// system ends the process when this returns, so it waits (up to the 5 s
// the system allows) for the run to end its log and release the ports.
BOOL WINAPI OnConsoleControl(DWORD event) {
  int signal = 0;
  switch (event) {
    case CTRL_C_EVENT: signal = SIGINT; break;
    case CTRL_BREAK_EVENT: signal = SIGBREAK; break;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: signal = kSigHangUp; break;
    default: return FALSE;
  }
  int none = 0;
  stop_signal.compare_exchange_strong(none, signal);
  interrupted = true;
  if (signal == kSigHangUp) ::WaitForSingleObject(run_ended, 4500);
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

std::unique_ptr<PortIo> OpenRealPort(const BoardPorts&,
                                     const std::string& library,
                                     std::string* note) {
  return LoadPortLibrary(ExecutableDirectory(), library, note);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  run_ended = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
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
  // Images travel through "-" as bytes, not as text with CR LF.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  CliEnv env;
  env.in = &std::cin;
  env.out = &std::cout;
  env.err = &std::cerr;
  env.out_is_terminal = _isatty(_fileno(stdout)) != 0;
  env.err_is_terminal = _isatty(_fileno(stderr)) != 0;
  env.hold_fine_clock = HoldFineClockResolution;
  env.clock = RealClockWithoutYields();
  env.interrupted = &interrupted;
  env.stop_signal = &stop_signal;
  env.open_real_port = OpenRealPort;
  env.loads_port_library = true;
  // A console event makes the exit code 128 + its signal's number (RunCli).
  const int code = RunCli(args, env);
  std::cout.flush();
  std::cerr.flush();
  ::SetEvent(run_ended);
  return code;
}
