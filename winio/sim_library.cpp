#include "winio/sim_library.h"

#include <cstdio>

#include "base/clock.h"
#include "base/module_directory_win32.h"

BoardSession* SimLibrary::Board() {
  if (session_ != nullptr) return session_.get();
  const FilePath dir = ModuleDirectory(module_);
  std::string error;
  session_ = BoardSession::Open(dir, RealClock(), &error);
  if (session_ == nullptr)
    Report("cannot load the board from " + PathForDisplay(dir) + ": " + error);
  return session_.get();
}

void SimLibrary::Counted() {
  if (++ops_since_flush_ >= kTraceFlushOps) FlushTrace();
}

void SimLibrary::Save() {
  if (session_ == nullptr) return;
  std::string error;
  if (!session_->SaveChipIfChanged(&error)) Report(error);
  FlushTrace();
}

void SimLibrary::FlushTrace() {
  ops_since_flush_ = 0;
  std::string error;
  if (!session_->FlushTrace(&error)) Report(error);
}

void SimLibrary::Report(const std::string& text) {
  const std::string line =
      std::string(name_) + " (simulated board): " + text + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  OutputDebugStringA(line.c_str());
}
