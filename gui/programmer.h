#ifndef TARNWICK_GUI_PROGRAMMER_H_
#define TARNWICK_GUI_PROGRAMMER_H_

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "gui/chip_buffer.h"
#include "gui/command.h"
#include "gui/event_stream.h"
#include "gui/launch.h"
#include "gui/tarnwick_run.h"

// The board the runs drive.
struct Board {
  bool simulated = true;
  QString sim_dir;  // the simulated board's folder
  QString part;     // "89c51" or "89c52" to name it; empty: the signature's
};

// Whether the tarnwick found can be driven.
enum class Compatibility {
  kUnknown,  // not asked yet
  kReady,    // its events are of the version this program reads
  kMissing,  // not found, or it cannot be started
  kTooOld,   // it knows no --json
  kTooNew,   // its events are of a version this program does not read
};

// The chip operations, one at a time, each a run of tarnwick: builds the
// command line for the board, and makes what the events say of the chip
// known to the buffer (read bytes, failures, a verified image).
class Programmer : public QObject {
  Q_OBJECT

 public:
  Programmer(ChipBuffer* buffer, QObject* parent = nullptr);

  // How tarnwick is started: its launch for a simulated board and for real
  // hardware (through pkexec unless it needs no one's leave). Both are
  // normally LaunchFor(tarnwick, ...); tests give their own.
  void SetLaunches(const Launch& simulated, const Launch& hardware);
  void SetBoard(const Board& board) { board_ = board; }
  const Board& CurrentBoard() const { return board_; }

  // Runs `ports`, which needs no privilege, to learn whether this tarnwick
  // speaks the events this program reads; `compatibilityKnown` tells.
  void CheckCompatibility();
  Compatibility CurrentCompatibility() const { return compatibility_; }

  // Starts `command` on the board; `extra` arguments follow tarnwick's own
  // (the production run's settings). Write, verify and the production run
  // take the buffer's image as it is shown. False, with the reason in
  // `*why`, when nothing was started.
  bool Start(Command command, const QStringList& extra, QString* why);
  // Asks the run to stop at its next address (see TarnwickRun::Stop).
  void Stop();
  bool Busy() const { return run_.Running(); }
  bool StopAsked() const { return run_.StopAsked(); }
  Command Current() const { return command_; }
  // The command line of the last run, for the log.
  const QStringList& LastArguments() const { return arguments_; }

 signals:
  void compatibilityKnown(Compatibility compatibility, const QString& why);
  void started(Command command);
  void eventArrived(const TarnwickEvent& event);
  void progressed(const QString& stage, qint64 done, qint64 total,
                  qint64 address);
  // A signature event: the chip's size (0 when unknown) and its text.
  void signatureRead(int chip_size, const QString& text);
  // The run's end: `ok` when the chip passed; `message` says what happened.
  void finished(Command command, bool ok, const QString& message);

 private:
  void OnEvent(const TarnwickEvent& event);
  void OnEnd(const RunEnd& end);
  void OnResult(const QJsonObject& result);
  QStringList BoardArguments() const;

  ChipBuffer* buffer_;
  TarnwickRun run_;
  Launch simulated_launch_;
  Launch hardware_launch_;
  Board board_;
  Compatibility compatibility_ = Compatibility::kUnknown;
  QString compatibility_why_;
  Command command_ = Command::kSignature;
  QStringList arguments_;
  QTemporaryDir files_;  // the image handed to tarnwick, the chip it read
  int failures_seen_ = 0;
  bool passed_ = false;
  bool result_seen_ = false;
  QString message_;
};

#endif  // TARNWICK_GUI_PROGRAMMER_H_
