#include "gui/tarnwick_run.h"

#include <signal.h>

#include <QElapsedTimer>
#include <QTimer>
#include <cerrno>

TarnwickRun::TarnwickRun(QObject* parent) : QObject(parent) {
  connect(&process_, &QProcess::readyReadStandardOutput, this,
          &TarnwickRun::ReadEvents);
  connect(&process_, &QProcess::readyReadStandardError, this,
          &TarnwickRun::ReadErrors);
  connect(&process_, &QProcess::finished, this, &TarnwickRun::Finished);
  connect(&process_, &QProcess::errorOccurred, this,
          [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart) FailedToStart();
          });
}

TarnwickRun::~TarnwickRun() {
  if (!Running()) return;
  // QProcess would kill it outright, mid-byte; a stopped run ends cleanly
  // within a chip cycle or two.
  process_.disconnect(this);
  Stop();
  process_.waitForFinished(30000);
}

void TarnwickRun::Start(const Launch& launch, const QStringList& arguments) {
  reader_ = EventStreamReader();
  pending_.clear();
  next_ = 0;
  end_.reset();
  summary_ = QJsonObject();
  errors_.clear();
  stop_asked_ = false;
  elevated_ = launch.elevated;
  process_.start(launch.program,
                 launch.arguments + arguments + QStringList{"--json"});
}

void TarnwickRun::Stop() {
  if (process_.state() == QProcess::NotRunning || stop_asked_) return;
  stop_asked_ = true;
  const qint64 pid = process_.processId();
  if (pid > 0 && ::kill(static_cast<pid_t>(pid), SIGINT) == 0) return;
  if (elevated_ || errno == EPERM)
    process_.closeReadChannel(QProcess::StandardOutput);
}

bool TarnwickRun::Running() const {
  return process_.state() != QProcess::NotRunning || end_.has_value() ||
         next_ < pending_.size();
}

void TarnwickRun::ReadEvents() {
  const bool was_stopped = reader_.Stopped();
  pending_ += reader_.Feed(process_.readAllStandardOutput());
  // A stream this program cannot follow may still be driving a chip: it
  // is stopped at the next address rather than left to run unwatched.
  if (!was_stopped && reader_.Stopped()) Stop();
  HandOn();
}

void TarnwickRun::HandOn() {
  hand_on_queued_ = false;
  QElapsedTimer slice;
  slice.start();
  while (next_ < pending_.size()) {
    if (slice.elapsed() >= kSliceMs) {
      if (!hand_on_queued_) {
        hand_on_queued_ = true;
        QTimer::singleShot(0, this, &TarnwickRun::HandOn);
      }
      return;
    }
    const TarnwickEvent event = pending_[next_++];
    if (event.type == TarnwickEvent::Type::kSummary) summary_ = event.json;
    emit eventArrived(event);
  }
  pending_.clear();
  next_ = 0;
  if (end_) {
    RunEnd end = *end_;
    end_.reset();
    end.summary = summary_;
    emit ended(end);
  }
}

void TarnwickRun::ReadErrors() {
  errors_.append(process_.readAllStandardError());
  if (errors_.size() > kErrorTail)
    errors_.remove(0, errors_.size() - kErrorTail);
}

void TarnwickRun::Finished(int exit_code, QProcess::ExitStatus status) {
  ReadEvents();
  ReadErrors();
  RunEnd end;
  end.crashed = status == QProcess::CrashExit;
  end.exit_code = end.crashed ? -1 : exit_code;
  end.stop_asked = stop_asked_;
  end.stream = reader_.Finish();
  end.refused_version = reader_.RefusedVersion();
  end.broken = reader_.Broken();
  end.error_output = QString::fromUtf8(errors_).trimmed();
  end_ = end;
  HandOn();
}

void TarnwickRun::FailedToStart() {
  RunEnd end;
  end.started = false;
  end.error_output = process_.errorString();
  emit ended(end);
}
