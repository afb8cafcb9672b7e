// The watch on the open file, as compilers and editors rewrite it.

#include "gui/file_watch.h"

#include <QtTest>

class FileWatchTest : public QObject {
  Q_OBJECT

 private slots:
  void Rewrites_data();
  void Rewrites();
};

namespace {

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

}  // namespace

void FileWatchTest::Rewrites_data() {
  QTest::addColumn<QString>("how");
  QTest::newRow("in place") << "in place";
  QTest::newRow("a new file renamed over it") << "rename";
  QTest::newRow("removed, then made again") << "remove";
  QTest::newRow("twice in a row, then again") << "twice";
}

// Each rewrite is told once, with the file whole; a rewrite in place after
// it is told too (the watch follows a file that was replaced).
void FileWatchTest::Rewrites() {
  QFETCH(QString, how);
  QTemporaryDir dir;
  const QString path = dir.filePath("fw.hex");
  Write(path, "one");
  FileWatch watch;
  watch.Watch(path);
  QSignalSpy changed(&watch, &FileWatch::changed);
  for (const char* contents : {"second", "third!!"}) {
    if (how == "rename") {
      Write(dir.filePath("fw.hex.tmp"), contents);
      QVERIFY(::rename(qPrintable(dir.filePath("fw.hex.tmp")),
                       qPrintable(path)) == 0);
    } else if (how == "remove") {
      QVERIFY(QFile::remove(path));
      Write(path, contents);
    } else if (how == "twice") {
      Write(path, "half");
      Write(path, contents);
    } else {
      Write(path, contents);
    }
    QVERIFY(changed.wait(10000));
    QCOMPARE(changed.takeFirst().first().toString(), path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), contents);
    // No second signal for the same rewrite.
    QVERIFY(!changed.wait(3 * FileWatch::kSettleMs));
    how = "in place";
  }
}

QTEST_GUILESS_MAIN(FileWatchTest)
#include "file_watch_test.moc"
