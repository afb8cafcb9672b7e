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
  QTest::newRow("no serial numbers, no journal")
      << BatchSettings() << QStringList() << "";
  BatchSettings serial;
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
      << serial << QStringList{"--serial",       "7FF0,4,bcd",
                               "--serial-file",  "/lab/next-serial.txt",
                               "--serial-start", "1001",
                               "--serial-step",  "2",
                               "--on-fail",      "reuse",
                               "--journal",      "/lab/journal.csv",
                               "--count",        "40"}
      << "";
  BatchSettings no_file = serial;
  no_file.serial_file.clear();
  QTest::newRow("no serial file")
      << no_file << QStringList() << "keeps the next serial number";
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
  auto event = [](const char* fields) {
    return QString(R"({"v":1,"t":1,%1})").arg(fields);
  };
  Standin standin;
  const Launch launch = standin.Playing(
      {Standin::kStart,
       event(R"("event":"chip","state":"inserted","chip":1,"part":"89C51")"),
       event(R"("event":"result","outcome":"pass","chip":1,"serial":1001)"),
       event(R"("event":"chip","state":"removed","chip":1)"),
       event(R"("event":"chip","state":"inserted","chip":2,"part":"89C51")"),
       event(R"("event":"failure","stage":"verify","address":1,"actual":1)"),
       event(R"("event":"result","outcome":"fail","chip":2,"serial":1002)"),
       event(R"("event":"chip","state":"inserted","chip":3,"part":"89C52")"),
       event(R"("event":"result","outcome":"refused","chip":3,"serial":null)"),
       event(R"("event":"summary","exit":1,"passed":1,"failed":1,"wrong_part":1,"yield":0.5,"chips_per_hour":360,"next_serial":1003)")});
  MainWindow window(launch, launch);
  window.UseSimulatedBoard(dir.filePath("board"));
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QVERIFY(window.OpenFile(hex.fileName()));
  QSignalSpy finished(window.Operations(), &Programmer::finished);
  QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
  QVERIFY(finished.wait(30000));
  QVERIFY(window.findChild<QLabel*>("productionImage")->text().startsWith(
      "fw.hex (SUM16 "));
  auto* counters = window.findChild<QLabel*>("productionCounters");
  QCOMPARE(counters->text(),
           QString("Passed 1, failed 1, wrong part 1. Yield 50.0 %. Chips an "
                   "hour: 360. Next serial number: 1003."));
  auto* chips = window.findChild<QTableWidget*>("lastChips");
  QStringList rows;  // newest first
  for (int row = 0; row < chips->rowCount(); ++row)
    rows << chips->item(row, 0)->text() + " " + chips->item(row, 1)->text() +
                " " + chips->item(row, 2)->text();
  QCOMPARE(rows, (QStringList{"3  wrong part", "2 1002 FAIL", "1 1001 PASS"}));
  QVERIFY(window.Operations()->LastArguments().contains("batch"));
  // The failure of chip 2 left its mark; chip 3 forgot it.
  QCOMPARE(window.Buffer()->CountOf(ByteKind::kFailed), 0);
}

QTEST_MAIN(ProductionPanelTest)
#include "production_panel_test.moc"
