#ifndef TARNWICK_CLI_BOARD_LINES_H_
#define TARNWICK_CLI_BOARD_LINES_H_

#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

// A board's line on a terminal, redrawn in place as its run goes.
class StatusLine {
 public:
  virtual ~StatusLine() = default;
  // Shows `text` (one line, without the board's name) as the board's now.
  virtual void Show(const std::string& text) = 0;
};

// The words of several boards running side by side, on the run's standard
// output and error: each line whole, never mixed with another board's, and
// its board's name after "tarnwick: " or before it ("left: chip 3: PASS",
// "tarnwick: left: the board is busy"). On a terminal that takes cursor
// movements, a status line per board stays below the lines, each redrawn
// in place; the lines scroll above them. Each board's streams are written
// by one thread, any board's from any.
class BoardLines {
 public:
  // `out` and `err` must outlive this; `status` asks for the status lines
  // (on `err`).
  BoardLines(std::ostream& out, std::ostream& err, bool status,
             const std::vector<std::string>& names);
  // Writes what is left of a line unended; the status lines stay as drawn.
  ~BoardLines();

  BoardLines(const BoardLines&) = delete;
  BoardLines& operator=(const BoardLines&) = delete;

  // The board's lines on standard output and error, written as each ends.
  std::ostream& Out(size_t board);
  std::ostream& Err(size_t board);
  // Its status line; null without status lines.
  StatusLine* Status(size_t board);
  // Rings the terminal's bell.
  void Bell();

 private:
  class Stream;
  class Slot;

  // Writes the board's line to `to`, above the status lines.
  void WriteLine(size_t board, std::ostream& to, const std::string& line);
  void ShowStatus(size_t board, const std::string& text);
  // Erases the status lines drawn, and draws them again unless `erase`.
  void Redraw(bool erase);

  std::ostream& out_;
  std::ostream& err_;
  const bool status_;
  std::mutex mutex_;
  std::vector<std::string> names_;
  std::vector<std::string> shown_;  // each board's status text ("starting")
  size_t drawn_ = 0;                // status lines on the screen
  std::vector<std::unique_ptr<Stream>> outs_, errs_;
  std::vector<std::unique_ptr<Slot>> slots_;
};

#endif  // TARNWICK_CLI_BOARD_LINES_H_
