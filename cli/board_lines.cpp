#include "cli/board_lines.h"

#include <streambuf>

namespace {

// A status line's columns at most: wider ones would wrap, and the lines
// above could no longer be counted.
constexpr size_t kColumns = 79;

constexpr char kProgram[] = "tarnwick: ";

}  // namespace

// One board's stream: hands each line, once ended, to the lines.
class BoardLines::Stream : public std::ostream {
 public:
  Stream(BoardLines* lines, size_t board, std::ostream& to)
      : std::ostream(&buffer_), buffer_(lines, board, to) {}
  ~Stream() override { buffer_.Flush(); }

 private:
  class Buffer : public std::streambuf {
   public:
    Buffer(BoardLines* lines, size_t board, std::ostream& to)
        : lines_(lines), board_(board), to_(to) {}
    void Flush() {
      if (!line_.empty()) lines_->WriteLine(board_, to_, line_);
      line_.clear();
    }

   protected:
    int_type overflow(int_type c) override {
      if (c == traits_type::eof()) return traits_type::not_eof(c);
      if (c == '\n') {
        lines_->WriteLine(board_, to_, line_);
        line_.clear();
      } else {
        line_ += static_cast<char>(c);
      }
      return c;
    }

   private:
    BoardLines* const lines_;
    const size_t board_;
    std::ostream& to_;
    std::string line_;
  };

  Buffer buffer_;
};

class BoardLines::Slot : public StatusLine {
 public:
  Slot(BoardLines* lines, size_t board) : lines_(lines), board_(board) {}
  void Show(const std::string& text) override {
    lines_->ShowStatus(board_, text);
  }

 private:
  BoardLines* const lines_;
  const size_t board_;
};

BoardLines::BoardLines(std::ostream& out, std::ostream& err, bool status,
                       const std::vector<std::string>& names)
    : out_(out), err_(err), status_(status), names_(names),
      shown_(names.size(), "starting") {
  for (size_t n = 0; n < names.size(); ++n) {
    outs_.push_back(std::make_unique<Stream>(this, n, out));
    errs_.push_back(std::make_unique<Stream>(this, n, err));
    slots_.push_back(std::make_unique<Slot>(this, n));
  }
}

BoardLines::~BoardLines() {
  outs_.clear();
  errs_.clear();
}

std::ostream& BoardLines::Out(size_t board) { return *outs_[board]; }
std::ostream& BoardLines::Err(size_t board) { return *errs_[board]; }

StatusLine* BoardLines::Status(size_t board) {
  return status_ ? slots_[board].get() : nullptr;
}

void BoardLines::Bell() {
  std::lock_guard<std::mutex> hold(mutex_);
  err_ << '\a' << std::flush;
}

void BoardLines::WriteLine(size_t board, std::ostream& to,
                           const std::string& line) {
  std::lock_guard<std::mutex> hold(mutex_);
  const std::string& name = names_[board];
  const size_t program = sizeof kProgram - 1;
  const std::string text =
      line.compare(0, program, kProgram) == 0
          ? kProgram + name + ": " + line.substr(program)
          : name + ": " + line;
  Redraw(true);
  to << text << '\n' << std::flush;
  Redraw(false);
}

void BoardLines::ShowStatus(size_t board, const std::string& text) {
  std::lock_guard<std::mutex> hold(mutex_);
  shown_[board] = text;
  Redraw(true);
  Redraw(false);
}

void BoardLines::Redraw(bool erase) {
  if (!status_) return;
  if (erase) {
    // Back to the first status line, and everything below it cleared.
    if (drawn_ > 0) err_ << "\r\x1b[" << drawn_ << "A\x1b[J" << std::flush;
    drawn_ = 0;
    return;
  }
  for (size_t n = 0; n < names_.size(); ++n) {
    std::string line = names_[n] + ": " + shown_[n];
    if (line.size() > kColumns) line.resize(kColumns);
    err_ << line << '\n';
  }
  drawn_ = names_.size();
  err_ << std::flush;
}
