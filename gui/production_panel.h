#ifndef TARNWICK_GUI_PRODUCTION_PANEL_H_
#define TARNWICK_GUI_PRODUCTION_PANEL_H_

#include <QString>
#include <QStringList>
#include <QWidget>

#include "gui/event_stream.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

// The settings of a production run (`tarnwick batch`).
struct BatchSettings {
  bool serial = false;           // write a serial number into each chip
  QString serial_address;        // hexadecimal
  int serial_size = 2;           // bytes
  QString serial_format = "le";  // le, be, bcd, ascii
  QString serial_file;           // keeps the next number
  QString serial_start;          // the first number, when the file is new
  int serial_step = 1;
  QString on_fail = "skip";  // skip or reuse a failed chip's number
  QString journal;           // CSV file, one line per chip; empty: none
  int count = 0;             // stop after this many passing chips; 0: never
};

// The arguments of `tarnwick batch` after the image for `settings`.
QStringList BatchArguments(const BatchSettings& settings);

// Why the settings cannot start a run, or empty.
QString BatchSettingsProblem(const BatchSettings& settings);

// The production run: its settings, its counters (passed, failed, wrong
// part, yield, chips an hour, the next serial number), the chip in the
// socket and the last chips' results. The run itself is the window's.
class ProductionPanel : public QWidget {
  Q_OBJECT

 public:
  explicit ProductionPanel(QWidget* parent = nullptr);

  BatchSettings Settings() const;
  void SetSettings(const BatchSettings& settings);
  void SaveSettings() const;  // to QSettings
  void LoadSettings();

  // A production run starts or ends: the counters start again, the buttons
  // follow.
  void RunStarted();
  void RunEnded(const QString& message);
  // Busy with another operation: no run can start.
  void SetIdle(bool idle);
  // The image the run writes (the window's buffer), as it is shown.
  void SetImage(const QString& text);
  void TakeEvent(const TarnwickEvent& event);

  int Passed() const { return passed_; }
  int Failed() const { return failed_; }

 signals:
  void startRequested();
  void stopRequested();

 private:
  void ShowCounters();
  void AddChip(const TarnwickEvent& result);

  QCheckBox* serial_;
  QLineEdit* serial_address_;
  QSpinBox* serial_size_;
  QComboBox* serial_format_;
  QLineEdit* serial_file_;
  QLineEdit* serial_start_;
  QSpinBox* serial_step_;
  QComboBox* on_fail_;
  QLineEdit* journal_;
  QSpinBox* count_;
  QPushButton* start_;
  QPushButton* stop_;
  QLabel* image_;
  QLabel* state_;
  QLabel* counters_;
  QTableWidget* chips_;

  bool running_ = false;
  int passed_ = 0, failed_ = 0, wrong_part_ = 0, stopped_ = 0;
  double first_t_ = -1, last_t_ = 0;
  double summary_yield_ = -1, summary_rate_ = -1;  // the summary's, or -1
  QString next_serial_;
};

#endif  // TARNWICK_GUI_PRODUCTION_PANEL_H_
