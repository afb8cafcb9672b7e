#ifndef TARNWICK_GUI_BOARD_PANEL_H_
#define TARNWICK_GUI_BOARD_PANEL_H_

#include <QWidget>

#include "gui/event_stream.h"
#include "gui/programmer.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The board the runs drive (a simulated board's folder, or the real
// hardware and the ports tarnwick found for it), the part, and the chip's
// signature as last read.
class BoardPanel : public QWidget {
  Q_OBJECT

 public:
  explicit BoardPanel(QWidget* parent = nullptr);

  void SetBoard(const Board& board);
  Board CurrentBoard() const;
  // What tarnwick says of the board in a run's events: the ports of a
  // start event, a board's name, and (`ports_run`: of the `ports` command)
  // why no ports were found.
  void TakeEvent(const TarnwickEvent& event, bool ports_run);
  void SetSignature(const QString& text);
  // Opens the folder chooser for the simulated board.
  void ChooseSimFolder();

 signals:
  void boardChanged(const Board& board);

 private:
  void Changed();

  QRadioButton* simulated_;
  QRadioButton* hardware_;
  QLineEdit* sim_dir_;
  QPushButton* browse_;
  QLabel* ports_;
  QLabel* name_;
  QComboBox* part_;
  QLabel* signature_;
};

#endif  // TARNWICK_GUI_BOARD_PANEL_H_
