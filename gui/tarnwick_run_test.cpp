// Runs of a process that speaks the event stream: the stand-in for
// tarnwick (testdata/tarnwick_standin.py) playing scenarios. And the file
// capability that lets tarnwick drive a real board without pkexec.

#include "gui/tarnwick_run.h"

#include <linux/capability.h>

#include <QtTest>

#include "gui/launch.h"
#include "gui/testing/standin.h"

Q_DECLARE_METATYPE(RunEnd)

class TarnwickRunTest : public QObject {
  Q_OBJECT

 private slots:
  void EventsInOrderThenTheEnd();
  void TooOldTooNewAndBroken_data();
  void TooOldTooNewAndBroken();
  void CapabilityRecords_data();
  void CapabilityRecords();
  void CapabilityOfARealFile();
};

namespace {

// Runs `scenario` to its end; returns the events' names and the end.
struct Played {
  QStringList names;
  RunEnd end;
};

Played Play(const Launch& launch,
            const QStringList& args = {"write", "fw.hex"}) {
  TarnwickRun run;
  Played played;
  QObject::connect(&run, &TarnwickRun::eventArrived,
                   [&](const TarnwickEvent& e) { played.names << e.name; });
  QSignalSpy ended(&run, &TarnwickRun::ended);
  run.Start(launch, args);
  if (!ended.wait(30000)) qWarning("the run did not end");
  if (!ended.isEmpty()) played.end = ended.first().first().value<RunEnd>();
  return played;
}

}  // namespace

void TarnwickRunTest::EventsInOrderThenTheEnd() {
  Standin standin;
  const Played p = Play(standin.Playing(
      {Standin::kStart, "progress program 4096 5", Standin::kSummary,
       "arguments " + standin.Path("args")}));
  QCOMPARE(p.names, (QStringList{"start", "progress", "progress", "progress",
                                 "progress", "progress", "summary"}));
  QCOMPARE(p.end.stream, StreamEnd::kComplete);
  QCOMPARE(p.end.exit_code, 0);
  QVERIFY(!p.end.stop_asked);
  QCOMPARE(p.end.summary.value("exit").toInt(-1), 0);
  QCOMPARE(standin.Read("args"), QString("write\nfw.hex\n--json\n"));
}

void TarnwickRunTest::TooOldTooNewAndBroken_data() {
  QTest::addColumn<QStringList>("scenario");
  QTest::addColumn<StreamEnd>("end");
  QTest::addColumn<int>("exit_code");
  // A tarnwick from before --json: CLI11 refuses the option.
  QTest::newRow("too old") << QStringList{"stderr The following argument was "
                                          "not expected: --json",
                                          "exit 2"}
                           << StreamEnd::kEmpty << 2;
  // One from after version 1 is stopped at once, not followed blindly.
  QTest::newRow("too new") << QStringList{R"({"v":2,"event":"start","t":0})",
                                          "wait-for-signal", "on-signal"}
                           << StreamEnd::kRefused << 130;
  QTest::newRow("prose instead of events")
      << QStringList{Standin::kStart,
                     "{\"v\":1,\"event\":", "write: 4081 bytes programmed",
                     "wait-for-signal", "on-signal"}
      << StreamEnd::kBroken << 130;
}

void TarnwickRunTest::TooOldTooNewAndBroken() {
  QFETCH(QStringList, scenario);
  QFETCH(StreamEnd, end);
  QFETCH(int, exit_code);
  Standin standin;
  const Played p = Play(standin.Playing(scenario));
  QCOMPARE(p.end.stream, end);
  QCOMPARE(p.end.exit_code, exit_code);
  if (end == StreamEnd::kRefused) QCOMPARE(p.end.refused_version, 2);
  if (end == StreamEnd::kEmpty) QVERIFY(p.end.error_output.contains("--json"));
}

void TarnwickRunTest::CapabilityRecords_data() {
  QTest::addColumn<QByteArray>("record");
  QTest::addColumn<bool>("rawio");
  // magic_etc, then {permitted, inheritable} words, little-endian.
  auto record = [](quint32 magic, QList<quint32> words) {
    QByteArray r;
    for (quint32 w : QList<quint32>{magic} + words)
      for (int b = 0; b < 4; ++b) r.append(char(w >> (8 * b)));
    return r;
  };
  const quint32 rawio = 1u << CAP_SYS_RAWIO;
  QTest::newRow("v2 +ep") << record(0x02000001, {rawio, 0, 0, 0}) << true;
  QTest::newRow("v2 +p only") << record(0x02000000, {rawio, 0, 0, 0}) << false;
  QTest::newRow("v3 +ep (a namespace's root)")
      << record(0x03000001, {rawio, 0, 0, 0, 0}) << true;
  QTest::newRow("v2 cut short") << record(0x02000001, {rawio}) << false;
}

void TarnwickRunTest::CapabilityRecords() {
  QFETCH(QByteArray, record);
  QFETCH(bool, rawio);
  QCOMPARE(CapabilityRecordGives(record, CAP_SYS_RAWIO), rawio);
}

// What setcap writes, read back from a file.
void TarnwickRunTest::CapabilityOfARealFile() {
  QTemporaryDir dir;
  const QString file = dir.filePath("tarnwick");
  QFile(file).open(QIODevice::WriteOnly);
  QVERIFY(!FileHasRawIoCapability(file));
  if (QProcess::execute("/usr/sbin/setcap", {"cap_sys_rawio+ep", file}) != 0)
    QSKIP("setcap cannot run here (it needs root)");
  QVERIFY(FileHasRawIoCapability(file));
}

QTEST_GUILESS_MAIN(TarnwickRunTest)
#include "tarnwick_run_test.moc"
