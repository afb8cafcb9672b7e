#include "cli/progress_display.h"

#include "base/format.h"

namespace {

// Redraws this often at most: lively to the eye, cheap for the chip's pace.
constexpr uint64_t kRedrawUs = 200000;
constexpr int kBarWidth = 24;
constexpr size_t kLineWidth = 78;  // columns

std::string MinutesSeconds(double seconds) {
  const unsigned s = static_cast<unsigned>(seconds + 0.5);
  return Format("%u:%02u", s / 60, s % 60);
}

}  // namespace

const char* StageWord(Stage stage) {
  switch (stage) {
    case Stage::kRead:
      return "read";
    case Stage::kErase:
      return "erase";
    case Stage::kProgram:
      return "program";
    case Stage::kVerify:
      return "verify";
    case Stage::kBlankCheck:
      return "blank-check";
  }
  return "?";
}

ProgressDisplay::ProgressDisplay(std::ostream& err, Clock* clock,
                                 bool terminal, bool quiet, StatusLine* status)
    : err_(err),
      clock_(clock),
      terminal_(terminal),
      quiet_(quiet),
      status_(status),
      start_us_(clock->NowUs()) {}

void ProgressDisplay::Update(const Progress& progress) {
  if (quiet_ || !terminal_) return;
  const uint64_t now = clock_->NowUs();
  const bool new_stage = !drawn_ || progress.stage != stage_;
  if (new_stage) {
    stage_ = progress.stage;
    stage_start_us_ = now;
  }
  const bool last = progress.done == progress.total;
  if (new_stage || last || now - last_draw_us_ >= kRedrawUs)
    Draw(progress, now);
}

void ProgressDisplay::Draw(const Progress& p, uint64_t now_us) {
  last_draw_us_ = now_us;
  drawn_ = true;
  const double seconds = static_cast<double>(now_us - stage_start_us_) / 1e6;
  const double rate = seconds > 0 ? p.done / seconds : 0;
  const int filled =
      p.total == 0 ? kBarWidth
                   : static_cast<int>(uint64_t{p.done} * kBarWidth / p.total);
  std::string line = Format("%-11s %04X [%s%s] %3u%%", StageWord(p.stage),
                            p.address, std::string(filled, '#').c_str(),
                            std::string(kBarWidth - filled, '.').c_str(),
                            p.total == 0 ? 100u : p.done * 100u / p.total);
  if (rate > 0) {
    line += Format("  %5.0f B/s  %s left", rate,
                   MinutesSeconds((p.total - p.done) / rate).c_str());
  }
  if (status_ != nullptr) return status_->Show(line);
  // Blanks rather than an escape sequence clear what a longer line left:
  // older Windows consoles show escape sequences as text.
  if (line.size() < kLineWidth) line.resize(kLineWidth, ' ');
  err_ << '\r' << line << std::flush;
}

void ProgressDisplay::Finish(const std::string& command) {
  if (quiet_) return;
  if (terminal_) {
    if (drawn_ && status_ == nullptr) err_ << "\n" << std::flush;
    drawn_ = false;
    return;
  }
  const uint64_t us = clock_->NowUs() - start_us_;
  err_ << Format("tarnwick: %s took %u.%03u s\n", command.c_str(),
                 static_cast<unsigned>(us / 1000000),
                 static_cast<unsigned>(us / 1000 % 1000))
       << std::flush;
}
