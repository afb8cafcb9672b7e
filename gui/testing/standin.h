#ifndef TARNWICK_GUI_TESTING_STANDIN_H_
#define TARNWICK_GUI_TESTING_STANDIN_H_

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>

#include "gui/launch.h"

// The stand-in for tarnwick (testdata/tarnwick_standin.py) and a folder of
// its scenarios and outputs, removed with it.
class Standin {
 public:
  static constexpr char kStart[] =
      R"({"v":1,"event":"start","t":0.0,"command":"write","version":"1.2.0","target":"sim","sim":"b"})";
  static constexpr char kSummary[] =
      R"({"v":1,"event":"summary","t":1.0,"exit":0})";

  QString Path(const QString& name) const { return dir_.filePath(name); }

  // Starts the stand-in, in place of tarnwick, playing a scenario of
  // `lines` (written to a file of this folder).
  Launch Playing(const QStringList& lines) {
    const QString path = Path(QString("scenario%1.txt").arg(++scenarios_));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write((lines.join('\n') + '\n').toUtf8());
    return Launch{TARNWICK_PYTHON, {TARNWICK_STANDIN, path}, false};
  }

  QString Read(const QString& name) const {
    QFile file(Path(name));
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
  }

 private:
  QTemporaryDir dir_;
  int scenarios_ = 0;
};

#endif  // TARNWICK_GUI_TESTING_STANDIN_H_
