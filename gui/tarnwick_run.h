#ifndef TARNWICK_GUI_TARNWICK_RUN_H_
#define TARNWICK_GUI_TARNWICK_RUN_H_

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <optional>

#include "gui/event_stream.h"
#include "gui/launch.h"

// How a run ended.
struct RunEnd {
  bool started = true;   // false: the program could not be started
  bool crashed = false;  // killed by a signal it did not handle
  int exit_code = -1;    // when not crashed
  bool stop_asked = false;
  StreamEnd stream = StreamEnd::kEmpty;
  int refused_version = 0;  // StreamEnd::kRefused: the version it gave
  QString broken;           // StreamEnd::kBroken: what was wrong (English)
  QJsonObject summary;      // the summary event, when it came
  QString error_output;     // the end of its standard error (English)
};

// One run of tarnwick with --json, read as it goes: QProcess and its
// signals, so the UI thread never waits for it. Events arrive in order,
// then `ended` once. A burst of events (thousands of failures at once) is
// handed on a few milliseconds' worth per turn of the event loop, so the
// window keeps answering.
class TarnwickRun : public QObject {
  Q_OBJECT

 public:
  explicit TarnwickRun(QObject* parent = nullptr);
  // A run still going is stopped at its next address and waited for.
  ~TarnwickRun() override;

  // Starts `launch` with `arguments` and --json. Not while Running().
  void Start(const Launch& launch, const QStringList& arguments);

  // Asks the run to stop at its next address: SIGINT, after which tarnwick
  // ends the operation, says so and exits 130. A run started through pkexec
  // belongs to root and cannot be signalled: its standard output is closed
  // instead, so that its next event ends it as a broken pipe does (141).
  void Stop();

  // True from Start to `ended`.
  bool Running() const;
  bool StopAsked() const { return stop_asked_; }

 signals:
  void eventArrived(const TarnwickEvent& event);
  void ended(const RunEnd& end);

 private:
  void ReadEvents();
  // Hands on the events read, until kSliceMs have passed; the rest, and
  // the end, in later turns of the event loop.
  void HandOn();
  void ReadErrors();
  void Finished(int exit_code, QProcess::ExitStatus status);
  void FailedToStart();

  // Standard error kept for the log; older text is dropped.
  static constexpr int kErrorTail = 8192;
  static constexpr int kSliceMs = 8;

  QProcess process_;
  EventStreamReader reader_;
  QList<TarnwickEvent> pending_;  // read, not handed on from next_ on
  qsizetype next_ = 0;
  bool hand_on_queued_ = false;
  std::optional<RunEnd> end_;  // the process ended: told after its events
  QJsonObject summary_;
  QByteArray errors_;
  bool stop_asked_ = false;
  bool elevated_ = false;
};

#endif  // TARNWICK_GUI_TARNWICK_RUN_H_
