#ifndef TARNWICK_TESTING_BOARD_RIG_H_
#define TARNWICK_TESTING_BOARD_RIG_H_

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/virtual_clock.h"
#include "jobs/job_host.h"
#include "session/programmer_session.h"
#include "sim/sim_board.h"
#include "testing/files.h"

// `n` bytes of a pattern that is never 0xFF, the 4096th being 0x0A.
inline std::string Pattern(uint32_t n) {
  std::string bytes(n, '\0');
  for (uint32_t a = 0; a < n; ++a)
    bytes[a] = static_cast<char>(a == 4095 ? 10 : (a * 13 + (a >> 8)) % 255);
  return bytes;
}

// A sink that keeps every step and failure.
struct RecordingSink : ProgressSink {
  std::vector<Progress> steps;
  std::vector<ByteFailure> failures;
  void OnProgress(const Progress& p) override { steps.push_back(p); }
  void OnFailure(const ByteFailure& f) override { failures.push_back(f); }
  bool StopRequested() override { return false; }
};

// A desktop job's window side: the file dialogs answer `path` (empty:
// Cancel), messages and the label's text are kept, and the program closes
// once `stop_after` label updates were made (negative: never).
struct ScriptedJobHost : JobHost {
  std::string path, label;
  int stop_after = -1, dialogs = 0, updates = 0;
  std::vector<std::string> messages;
  bool ChooseSaveFile(FilePath* p) override { return ChooseOpenFile(p); }
  bool ChooseOpenFile(FilePath* p) override {
    ++dialogs;
    *p = path;
    return !path.empty();
  }
  void ShowMessage(const std::string& text) override {
    messages.push_back(text);
  }
  void SetReadStatus(const std::string& text) override { SetWriteStatus(text); }
  void SetWriteStatus(const std::string& text) override {
    label = text;
    ++updates;
  }
  bool StopRequested() override {
    return stop_after >= 0 && updates >= stop_after;
  }
};

// A simulated board on a virtual clock at the default ports, tracing its
// accesses, and a session on it with port access open; a fresh folder.
class BoardTest : public ::testing::Test {
 protected:
  BoardTest() {
    board_.SetTrace(&trace_);
    std::string why;
    session_.Open(&why);
  }
  std::string Flash(uint32_t n = 4096) const {
    const std::vector<uint8_t> flash = board_.Flash();
    return std::string(flash.begin(), flash.begin() + n);
  }
  void SetFlash(const std::string& bytes) {
    board_.SetFlash(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  }
  // Program cycles (control value 5) and read cycles (control value 2)
  // since the last call, with no protocol violation meanwhile.
  std::pair<int, int> Cycles() {
    int programs = 0, reads = 0;
    for (const std::string& line : trace_.TakeLines()) {
      programs += line.find("out 378 <- 5 (1)") != std::string::npos;
      reads += line.find("out 378 <- 2 (1)") != std::string::npos;
      EXPECT_EQ(std::string::npos, line.find("violation")) << line;
    }
    return {programs, reads};
  }

  VirtualClock clock_;
  SimBoard board_{&clock_, BoardSettings()};
  Trace trace_;
  ProgrammerSession session_{&board_, {BoardPorts(), &clock_, nullptr}};
  RecordingSink sink_;
  std::filesystem::path dir_ = FreshDir();
};

#endif  // TARNWICK_TESTING_BOARD_RIG_H_
