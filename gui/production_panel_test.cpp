// The production panel: the command line it builds from its settings, and
// its counters and last chips as a batch run's events come in (the
// stand-in playing tarnwick batch).

#include "gui/production_panel.h"

#include <QtTest>
#include <QtWidgets>

#include "gui/main_window.h"
#include "gui/testing/standin.h"

Q_DECLARE_METATYPE(BatchSettings)

class ProductionPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void Arguments_data();
  void Arguments();
  void CountersFollowTheRun();
};

void ProductionPanelTest::Arguments_data() {
  QTest::addColumn<BatchSettings>("settings");
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<QString>("problem");
  BatchSettings plain;
  QTest::newRow("no serial numbers, no journal") << plain << QStringList() << "";
  BatchSettings serial = plain;
  serial.serial = true;
  serial.serial_address = "7ff0";
  serial.serial_size = 4;
  serial.serial_format = "bcd";
  serial.serial_file = "/lab/next-serial.txt";
  serial.serial_start = " 1001 ";
  serial.serial_step = 2;
  serial.on_fail = "reuse";
  serial.journal = "/lab/journal.csv";
  serial.count = 40;
  QTest::newRow("everything")
      << serial
      << QStringList{"--serial", "7FF0,4,bcd", "--serial-file",
                     "/lab/next-serial.txt", "--serial-start", "1001",
                     "--serial-step", "2", "--on-fail", "reuse", "--journal",
                     "/lab/journal.csv", "--count", "40"}
      << "";
  BatchSettings existing = serial;
  existing.serial_start.clear();
  existing.serial_step = 1;
  existing.journal.clear();
  existing.count = 0;
  QTest::newRow("a serial file that exists: no start, the default step")
      << existing
      << QStringList{"--serial", "7FF0,4,bcd", "--serial-file",
                     "/lab/next-serial.txt", "--on-fail", "reuse"}
      << "";
  BatchSettings no_file = serial;
  no_file.serial_file.clear();
  QTest::newRow("no serial file") << no_file << QStringList()
                                  << "keeps the next serial number";
}

void ProductionPanelTest::Arguments() {
  QFETCH(BatchSettings, settings);
  QFETCH(QStringList, arguments);
  QFETCH(QString, problem);
  const QString got = BatchSettingsProblem(settings);
  if (!problem.isEmpty()) {
    QVERIFY2(got.contains(problem), qPrintable(got));
    return;
  }
  QVERIFY2(got.isEmpty(), qPrintable(got));
  // As the panel shows them and gives them back.
  ProductionPanel panel;
  panel.SetSettings(settings);
  QCOMPARE(BatchArguments(panel.Settings()), arguments);
}

// Three chips: a pass, a fail, a wrong part; then the summary's figures.
void ProductionPanelTest::CountersFollowTheRun() {
  QTemporaryDir dir;
  QFile hex(dir.filePath("fw.hex"));
  QVERIFY(hex.open(QIODevice::WriteOnly));
  hex.write(":0300000002003BC0\n:00000001FF\n");
  hex.close();
  auto chip = [](int n, const char* state) {
    return QString(R"({"v":1,"event":"chip","t":%1,"state":"%2","chip":%3,"signature":[30,81,255],"part":"89C51"})")
        .arg(n * 10).arg(state).arg(n);
  };
  auto result = [](int n, const char* outcome, const QString& serial) {
    return QString(R"({"v":1,"event":"result","t":%1,"command":"batch","outcome":"%2","chip":%3,"serial":%4,"seconds":9.5,"programmed":3,"failed":%5})")
        .arg(n * 10 + 9).arg(outcome).arg(n).arg(serial).arg(QString(outcome) == "fail" ? 1 : 0);
  };
  Standin standin;
  const Launch launch = Standin::LaunchOf(standin.Scenario(
      {Standin::kStart, chip(1, "inserted"), result(1, "pass", "1001"),
       chip(1, "removed"), chip(2, "inserted"),
       R"({"v":1,"event":"failure","t":25,"stage":"verify","address":1,"expected":0,"actual":1})",
       result(2, "fail", "1002"), chip(2, "removed"), chip(3, "inserted"),
       result(3, "refused", "null"), chip(3, "removed"),
       R"({"v":1,"event":"summary","t":40,"exit":1,"passed":1,"failed":1,"wrong_part":1,"stopped":0,"yield":0.5,"chips_per_hour":360,"next_serial":1003})"}));
  MainWindow window(launch, launch);
  window.UseSimulatedBoard(dir.filePath("board"));
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QVERIFY(window.OpenFile(hex.fileName()));
  QSignalSpy finished(window.Operations(), &Programmer::finished);
  QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
  QVERIFY(finished.wait(30000));
  auto* counters = window.findChild<QLabel*>("productionCounters");
  QCOMPARE(counters->text(),
           QString("Passed 1, failed 1, wrong part 1. Yield 50.0 %. Chips an "
                   "hour: 360. Next serial number: 1003."));
  auto* chips = window.findChild<QTableWidget*>("lastChips");
  QCOMPARE(chips->rowCount(), 3);
  const QStringList newest_first = {"3", "2", "1"};
  const QStringList results = {"wrong part", "FAIL", "PASS"};
  for (int row = 0; row < 3; ++row) {
    QCOMPARE(chips->item(row, 0)->text(), newest_first[row]);
    QCOMPARE(chips->item(row, 2)->text(), results[row]);
  }
  QCOMPARE(chips->item(1, 1)->text(), QString("1002"));
  QVERIFY(window.Operations()->LastArguments().contains("batch"));
  // The failure of chip 2 left its mark; chip 3 forgot it.
  QCOMPARE(window.Buffer()->CountOf(ByteKind::kFailed), 0);
}

QTEST_MAIN(ProductionPanelTest)
#include "production_panel_test.moc"
