#ifndef TARNWICK_GUI_MAIN_WINDOW_H_
#define TARNWICK_GUI_MAIN_WINDOW_H_

#include <QMainWindow>
#include <QString>

#include "gui/chip_buffer.h"
#include "gui/command.h"
#include "gui/file_watch.h"
#include "gui/launch.h"
#include "gui/programmer.h"

class BoardPanel;
class ChipMap;
class HexModel;
class ImageInfo;
class ProductionPanel;
class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QTableView;

// The desktop program's window: the buffer as a hex view and a chip map,
// the board, the image's checksums, the production panel and a log; a
// command for every chip operation, each a run of tarnwick that a progress
// bar follows and Stop (Esc) ends at the next address. It remembers the
// board, the folder, the recent files and its layout (QSettings).
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // `simulated` and `hardware` start tarnwick for each kind of board (see
  // Programmer::SetLaunches).
  MainWindow(const Launch& simulated, const Launch& hardware,
             QWidget* parent = nullptr);

  // Reads the image file at `path` into the buffer and watches it; false,
  // with the reason in the log, when it cannot be used.
  bool OpenFile(const QString& path);
  // Drives the simulated board in `dir` from now on.
  void UseSimulatedBoard(const QString& dir);
  // Asks tarnwick whether it speaks this program's events (at the start).
  void CheckTarnwick();

  ChipBuffer* Buffer() { return &buffer_; }
  Programmer* Operations() { return &programmer_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void MakeActions();
  void MakeDocks();
  void SizeHexColumns();
  void Restore();
  void SaveSettings();
  QAction* AddAction(QMenu* menu, const char* name, const QString& text,
                     const QKeySequence& shortcut);

  void StartCommand(Command command);
  void StartProduction();
  void OnStarted(Command command);
  void OnEvent(const TarnwickEvent& event);
  void OnProgress(const QString& stage, qint64 done, qint64 total,
                  qint64 address);
  void OnSignature(int chip_size, const QString& text);
  void OnFinished(Command command, bool ok, const QString& message);
  void OnCompatibility(Compatibility compatibility, const QString& why);
  void OnFileChanged(const QString& path);
  void OnBoardChanged(const Board& board);

  void ChooseFile();
  void Reload();
  void SaveBuffer();
  void GoToAddress();
  void ShowAddress(int address);
  void About();
  void AddRecent(const QString& path);
  void ShowRecent();
  void UpdateActions();
  void UpdateTitle();
  void Log(const QString& text);

  ChipBuffer buffer_;
  Programmer programmer_;
  FileWatch watch_;
  HexModel* hex_model_;
  QTableView* hex_view_;
  ChipMap* chip_map_;
  BoardPanel* board_panel_;
  ImageInfo* image_info_;
  ProductionPanel* production_;
  QPlainTextEdit* log_;
  QLabel* stage_;
  QProgressBar* progress_;
  QLabel* sums_;
  QMenu* recent_menu_;

  QString path_;    // the open file; empty for the chip as read
  QString folder_;  // where the last file was opened or saved
  QStringList recent_;
  QString title_state_;          // what the title says of the run
  bool closing_ = false;         // close once the run has stopped
  bool reload_pending_ = false;  // the file changed during a run
  bool write_pending_ = false;   // ... and is to be written

  QAction* open_;
  QAction* reload_;
  QAction* save_;
  QAction* watch_file_;
  QAction* write_on_change_;
  QAction* stop_;
  QAction* production_start_;
  QList<QAction*> chip_actions_;
};

#endif  // TARNWICK_GUI_MAIN_WINDOW_H_
