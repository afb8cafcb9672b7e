// The event stream as it arrives from a pipe: in pieces of any size, cut
// off, of another version, or not events at all.

#include "gui/event_stream.h"

#include <QtTest>

Q_DECLARE_METATYPE(StreamEnd)

class EventStreamTest : public QObject {
  Q_OBJECT

 private slots:
  void Streams_data();
  void Streams();
  void FieldsOfAnEvent();
  void OverlongLineKeepsMemoryBounded();
};

namespace {

const QByteArray kStart =
    R"({"v":1,"event":"start","t":0.0,"command":"write","file":"fw.hex","version":"1.2.0","target":"sim","sim":"b"})"
    "\n";
const QByteArray kProgress =
    R"({"v":1,"event":"progress","t":1.5,"stage":"program","done":41,"total":4096,"address":40})"
    "\n";
const QByteArray kSummary = R"({"v":1,"event":"summary","t":13.0,"exit":0})"
                            "\n";

}  // namespace

void EventStreamTest::Streams_data() {
  QTest::addColumn<QByteArray>("stream");
  QTest::addColumn<QStringList>("names");
  QTest::addColumn<StreamEnd>("end");
  const QStringList all = {"start", "progress", "summary"};
  QTest::newRow("whole") << kStart + kProgress + kSummary << all
                         << StreamEnd::kComplete;
  QTest::newRow("CR LF and blank lines")
      << QByteArray(kStart).replace("\n", "\r\n") + "\n" + kProgress + kSummary
      << all << StreamEnd::kComplete;
  QTest::newRow("no summary: killed")
      << kStart + kProgress << QStringList{"start", "progress"}
      << StreamEnd::kCutOff;
  QTest::newRow("cut off mid-line")
      << kStart + kProgress + kSummary.left(20)
      << QStringList{"start", "progress"} << StreamEnd::kCutInLine;
  QTest::newRow("empty: a tarnwick without --json")
      << QByteArray() << QStringList() << StreamEnd::kEmpty;
  QTest::newRow("unknown version")
      << QByteArray(kStart).replace("\"v\":1", "\"v\":2") + kProgress + kSummary
      << QStringList() << StreamEnd::kRefused;
  QTest::newRow("unknown events and keys are ignored")
      << kStart +
             R"({"v":1,"event":"sparkle","t":1,"x":[1,2]})"
             "\n" +
             kSummary
      << QStringList{"start", "sparkle", "summary"} << StreamEnd::kComplete;
  QTest::newRow("prose on standard output")
      << kStart + "write: 4081 bytes programmed\n" + kSummary
      << QStringList{"start"} << StreamEnd::kBroken;
}

// Fed whole, and fed one byte at a time: the same events and the same end.
void EventStreamTest::Streams() {
  QFETCH(QByteArray, stream);
  QFETCH(QStringList, names);
  QFETCH(StreamEnd, end);
  for (const int piece : {int(stream.size()) + 1, 1, 7}) {
    EventStreamReader reader;
    QStringList got;
    for (int i = 0; i < stream.size(); i += piece)
      for (const TarnwickEvent& e : reader.Feed(stream.mid(i, piece)))
        got << e.name;
    QCOMPARE(got, names);
    QCOMPARE(reader.Finish(), end);
  }
}

void EventStreamTest::FieldsOfAnEvent() {
  EventStreamReader reader;
  const QList<TarnwickEvent> events =
      reader.Feed(kStart + kProgress +
                  "{\"v\":1,\"event\":\"image\",\"t\":0.25,\"board\":\"left\","
                  "\"file\":\"fw\xEF\xBF\xBD\\u00e9.hex\",\"size\":4096}\n");
  QCOMPARE(events.size(), 3);
  QCOMPARE(events[1].t, 1.5);
  QCOMPARE(events[1].Number("done"), 41);
  QCOMPARE(events[1].Number("absent", -7), -7);
  QCOMPARE(events[2].type, TarnwickEvent::Type::kImage);
  QCOMPARE(events[2].board, QString("left"));
  QCOMPARE(events[2].Text("file"),
           QString::fromUtf8("fw\xEF\xBF\xBD\xC3\xA9.hex"));
}

// A stream that never ends its line is refused once the line is too long,
// and what arrives after it is dropped rather than kept.
void EventStreamTest::OverlongLineKeepsMemoryBounded() {
  EventStreamReader reader;
  QCOMPARE(reader.Feed(kStart).size(), 1);
  const QByteArray chunk(64 * 1024, 'x');
  for (int i = 0; i < 40; ++i) reader.Feed(chunk);  // 2.5 MB
  QVERIFY(reader.Stopped());
  QVERIFY(reader.Broken().contains("longer than"));
  QVERIFY(reader.Feed(kSummary).isEmpty());
  QCOMPARE(reader.Finish(), StreamEnd::kBroken);
}

QTEST_GUILESS_MAIN(EventStreamTest)
#include "event_stream_test.moc"
