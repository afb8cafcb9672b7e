// The buffer as the hex view and the chip map show it, the files it is
// read from with their checksums, and what the events of a run make known
// of the chip.

#include <QtTest>

#include "gui/chip_buffer.h"
#include "gui/chip_map.h"
#include "gui/hex_model.h"
#include "gui/image_loader.h"
#include "gui/kind_palette.h"
#include "gui/programmer.h"
#include "gui/testing/standin.h"

Q_DECLARE_METATYPE(ByteKind)

class ChipViewsTest : public QObject {
  Q_OBJECT

 private slots:
  void ColoursOfEachKind();
  void Files_data();
  void Files();
  void RunsMakeTheChipKnown_data();
  void RunsMakeTheChipKnown();
};

namespace {

// The image 02 00 3B at 0000 and E4 F5 A0 22 at 003B (the rest FF) in
// each format. Its sums were computed with Python's zlib.crc32 and sum().
const char kHex[] = ":0300000002003BC0\n:04003B00E4F5A02226\n:00000001FF\n";
const char kSrec[] = "S106000002003BBC\nS107003BE4F5A02222\nS9030000FC\n";

QString Spill(const QTemporaryDir& dir, const QString& name,
              const QByteArray& bytes) {
  QFile file(dir.filePath(name));
  file.open(QIODevice::WriteOnly);
  file.write(bytes);
  return file.fileName();
}

QColor PixelAt(const QImage& image, const QPoint& point) {
  return QColor(image.pixel(point));
}

}  // namespace

// Every kind of byte in the hex view's cells and, as the highest kind of
// its block, in the chip map's cells.
void ChipViewsTest::ColoursOfEachKind() {
  ChipBuffer buffer;
  ChipImage image;
  image.bytes.assign(40, 0xFF);  // raw: 40 bytes, the rest outside
  image.bytes[0] = 0x12;
  image.bytes[17] = 0x34;
  image.bytes[33] = 0x56;
  buffer.SetImage(image, 4096, "t.bin");
  buffer.ChipHolds(17, 0x30, true);  // programming failed
  buffer.ChipHolds(33, 0x57);        // the chip holds another byte
  buffer.ChipHolds(0, 0x12);         // the chip holds the same

  HexModel model(&buffer);
  ChipMap map(&buffer);
  map.resize(map.sizeHint());
  QTRY_COMPARE(
      model.data(model.IndexOf(17), Qt::BackgroundRole).value<QColor>(),
      ColorOf(ByteKind::kFailed));
  const QImage picture = map.grab().toImage();
  const struct {
    int address;
    ByteKind byte, block;
    const char* text;
  } kCases[] = {
      {0, ByteKind::kData, ByteKind::kData, "12"},
      {1, ByteKind::kBlank, ByteKind::kData, "FF"},
      {17, ByteKind::kFailed, ByteKind::kFailed, "34"},
      {33, ByteKind::kDiffers, ByteKind::kDiffers, "56"},
      {40, ByteKind::kOutside, ByteKind::kDiffers, "--"},  // 33 is in its block
      {4095, ByteKind::kOutside, ByteKind::kOutside, "--"},
  };
  for (const auto& c : kCases) {
    const QModelIndex index = model.IndexOf(c.address);
    QCOMPARE(buffer.KindAt(c.address), c.byte);
    QCOMPARE(model.data(index, Qt::BackgroundRole).value<QColor>(),
             ColorOf(c.byte));
    QCOMPARE(model.data(index, Qt::DisplayRole).toString(), QString(c.text));
    QCOMPARE(PixelAt(picture, map.CellRect(c.address).center()),
             ColorOf(c.block));
  }
  QVERIFY(model.data(model.IndexOf(33), Qt::ToolTipRole)
              .toString()
              .contains("image 56, chip 57"));
  QCOMPARE(model.data(model.index(2, HexModel::kTextColumn), Qt::DisplayRole)
               .toString(),
           QString(".V......        "));
}

void ChipViewsTest::Files_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<bool>("fixed");  // the part is named: 89C51
  QTest::addColumn<int>("chip_size");
  QTest::addColumn<int>("length");
  QTest::addColumn<QString>("sums");  // SUM16 CRC-32 file-SUM16, or error
  QTest::newRow("Intel HEX") << "fw.hex" << QByteArray(kHex) << false << 4096
                             << 4096 << "EBDF 384A65BC 02D8";
  QTest::newRow("S-records, named by content")
      << "fw.txt" << QByteArray(kSrec) << false << 4096 << 4096
      << "EBDF 384A65BC 02D8";
  QByteArray raw;
  for (int i = 0; i < 1024; ++i) raw.append(char(i & 0xFF));
  QTest::newRow("raw, shorter than the chip")
      << "fw.bin" << raw << false << 4096 << 1024 << "F200 50DEDF79 FE00";
  const QByteArray beyond =
      QByteArray(kHex).replace(":00000001FF", ":01100000559A\n:00000001FF");
  QTest::newRow("needs an 89C52")
      << "big.hex" << beyond << false << 8192 << 8192 << "DB35 A1AC7B86";
  QTest::newRow("beyond the named 89C51")
      << "big.hex" << beyond << true << 0 << 0
      << "line 3: byte at address 1000 is beyond";
}

void ChipViewsTest::Files() {
  QFETCH(QString, name);
  QFETCH(QByteArray, bytes);
  QFETCH(bool, fixed);
  QFETCH(int, chip_size);
  QFETCH(int, length);
  QFETCH(QString, sums);
  QTemporaryDir dir;
  const LoadedImage loaded =
      LoadImageForBuffer(Spill(dir, name, bytes), 4096, fixed);
  if (chip_size == 0) {
    QVERIFY(!loaded.ok);
    QVERIFY2(loaded.error.contains(sums), qPrintable(loaded.error));
    return;
  }
  QVERIFY2(loaded.ok, qPrintable(loaded.error));
  QCOMPARE(loaded.chip_size, chip_size);
  ChipBuffer buffer;
  buffer.SetImage(loaded.image, loaded.chip_size, name);
  QCOMPARE(buffer.ImageLength(), length);
  const ImageChecksums& s = buffer.Checksums();
  const QString got =
      QString::fromStdString(Sum16Text(s.sum16) + " " + Crc32Text(s.crc32) +
                             " " + Sum16Text(s.file_sum16));
  QVERIFY2(got.startsWith(sums), qPrintable(got));
}

void ChipViewsTest::RunsMakeTheChipKnown_data() {
  QTest::addColumn<int>("command");
  QTest::addColumn<QStringList>("events");
  QTest::addColumn<bool>("ok");
  // Kinds at 0000 (02), 0003 (FF), 003B (E4), 0100 (FF): D data, B blank,
  // X differs, F failed.
  QTest::addColumn<QString>("kinds");
  const QString start = Standin::kStart;
  const QString summary0 = Standin::kSummary;
  const QString summary1 = R"({"v":1,"event":"summary","t":1,"exit":1})";
  QTest::newRow("write passes")
      << int(Command::kWrite)
      << QStringList{start, "progress program 4096 3",
                     R"({"v":1,"event":"result","t":1,"command":"write","outcome":"pass","programmed":7,"skipped":4089,"failed":0})",
                     summary0}
      << true << "DBDB";
  QTest::newRow("write fails at 003B")
      << int(Command::kWrite)
      << QStringList{start,
                     R"({"v":1,"event":"failure","t":1,"stage":"program","address":59,"expected":228,"actual":230})",
                     R"({"v":1,"event":"result","t":1,"command":"write","outcome":"fail","programmed":6,"failed":1,"failures":[{"address":59,"expected":228,"actual":230}]})",
                     summary1}
      << false << "DBFB";
  QTest::newRow("verify finds 0000 and 0100 differ")
      << int(Command::kVerify)
      << QStringList{start,
                     R"({"v":1,"event":"failure","t":1,"stage":"verify","address":0,"expected":2,"actual":255})",
                     R"({"v":1,"event":"failure","t":1,"stage":"verify","address":256,"expected":255,"actual":0})",
                     R"({"v":1,"event":"result","t":1,"command":"verify","outcome":"fail","compared":4096,"differ":2})",
                     summary1}
      << false << "XBDX";
  QTest::newRow("blank-check passes: the image's data differ")
      << int(Command::kBlankCheck)
      << QStringList{start,
                     R"({"v":1,"event":"result","t":1,"command":"blank-check","outcome":"pass","compared":4096,"differ":0})",
                     summary0}
      << true << "XBXB";
  // The chip as read replaces the buffer: byte n is n mod 251 there.
  QTest::newRow("read: the buffer is the chip")
      << int(Command::kRead)
      << QStringList{start, "read-output",
                     R"({"v":1,"event":"result","t":1,"command":"read","outcome":"pass"})",
                     summary0}
      << true << "DDDD";
}

// Each run on the image of kHex, after a read that found 0000 different
// (so what was known before the run is forgotten when it starts).
void ChipViewsTest::RunsMakeTheChipKnown() {
  QFETCH(int, command);
  QFETCH(QStringList, events);
  QFETCH(bool, ok);
  QFETCH(QString, kinds);
  QTemporaryDir dir;
  ChipBuffer buffer;
  const LoadedImage loaded =
      LoadImageForBuffer(Spill(dir, "fw.hex", kHex), 4096, false);
  buffer.SetImage(loaded.image, 4096, "fw.hex");
  buffer.ChipHolds(0, 0x99);
  Standin standin;
  Programmer programmer(&buffer);
  const Launch launch = standin.Playing(events);
  programmer.SetLaunches(launch, launch);
  programmer.SetBoard(Board{true, dir.path(), QString()});
  QSignalSpy finished(&programmer, &Programmer::finished);
  QString why;
  QVERIFY2(programmer.Start(Command(command), {}, &why), qPrintable(why));
  QVERIFY(finished.wait(30000));
  QCOMPARE(finished.first().at(1).toBool(), ok);
  QString got;  // in ByteKind's order
  for (int a : {0x0000, 0x0003, 0x003B, 0x0100})
    got += QLatin1Char("OBDXF"[int(buffer.KindAt(a))]);
  QCOMPARE(got, kinds);
  if (command == int(Command::kRead)) {
    QCOMPARE(buffer.ImageLength(), 4096);
    QCOMPARE(buffer.ByteAt(0x100), quint8(0x100 % 251));
    QVERIFY(buffer.ChipKnownAt(4095));
  }
  // The image handed to tarnwick is the buffer's, whole and raw.
  if (command == int(Command::kWrite)) {
    QFile image(programmer.LastArguments().at(3));
    QVERIFY(image.open(QIODevice::ReadOnly));
    QCOMPARE(image.readAll(), buffer.ImageBytes());
    QCOMPARE(programmer.LastArguments().mid(0, 3),
             (QStringList{"--sim", dir.path(), "write"}));
  }
}

QTEST_MAIN(ChipViewsTest)
#include "chip_views_test.moc"
