#include "gui/chip_buffer.h"

#include <QMetaObject>
#include <algorithm>

ChipBuffer::ChipBuffer(QObject* parent) : QObject(parent) { SetChipSize(4096); }

void ChipBuffer::SetImage(const ChipImage& image, int chip_size,
                          const QString& name) {
  if (chip_size != ChipSize()) SetChipSize(chip_size);
  bytes_.fill(static_cast<char>(0xFF));
  const int given = std::min<int>(image.bytes.size(), chip_size);
  std::copy_n(image.bytes.begin(), given, bytes_.begin());
  length_ = image.whole_chip ? chip_size : given;
  name_ = name;
  sums_ = ChecksumsOf(image, chip_size);
  Changed();
}

void ChipBuffer::SetChipSize(int chip_size) {
  bytes_.resize(chip_size, static_cast<char>(0xFF));
  length_ = std::min(length_, chip_size);
  chip_ = QByteArray(chip_size, static_cast<char>(0xFF));
  known_ = QVector<bool>(chip_size, false);
  failed_ = QVector<bool>(chip_size, false);
  if (length_ > 0) {
    ChipImage image;
    image.bytes.assign(bytes_.begin(), bytes_.begin() + length_);
    sums_ = ChecksumsOf(image, chip_size);
  }
  Changed();
}

void ChipBuffer::ForgetChip() {
  known_.fill(false);
  failed_.fill(false);
  Changed();
}

void ChipBuffer::ChipHolds(int address, quint8 byte, bool failed) {
  if (address < 0 || address >= ChipSize()) return;
  chip_[address] = static_cast<char>(byte);
  known_[address] = true;
  failed_[address] = failed;
  Changed();
}

void ChipBuffer::ChipHoldsImageElsewhere() {
  for (int a = 0; a < length_; ++a) {
    if (known_[a]) continue;
    chip_[a] = bytes_[a];
    known_[a] = true;
  }
  Changed();
}

void ChipBuffer::ChipHoldsAll(const QByteArray& bytes) {
  failed_.fill(false);
  for (int a = 0; a < ChipSize(); ++a) {
    known_[a] = a < bytes.size();
    if (known_[a]) chip_[a] = bytes[a];
  }
  Changed();
}

void ChipBuffer::ChipBlankElsewhere() {
  for (int a = 0; a < ChipSize(); ++a) {
    if (known_[a]) continue;
    chip_[a] = static_cast<char>(0xFF);
    known_[a] = true;
  }
  Changed();
}

ByteKind ChipBuffer::KindAt(int address) const {
  if (failed_[address]) return ByteKind::kFailed;
  if (address >= length_) return ByteKind::kOutside;
  if (known_[address] && chip_[address] != bytes_[address])
    return ByteKind::kDiffers;
  return static_cast<quint8>(bytes_[address]) == 0xFF ? ByteKind::kBlank
                                                      : ByteKind::kData;
}

ByteKind ChipBuffer::KindOf(int first, int count) const {
  ByteKind kind = ByteKind::kOutside;
  const int end = std::min(first + count, ChipSize());
  for (int a = std::max(first, 0); a < end; ++a)
    kind = std::max(kind, KindAt(a));
  return kind;
}

int ChipBuffer::CountOf(ByteKind kind) const {
  int n = 0;
  for (int a = 0; a < ChipSize(); ++a) n += KindAt(a) == kind;
  return n;
}

void ChipBuffer::Changed() {
  if (change_pending_) return;
  change_pending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        change_pending_ = false;
        emit changed();
      },
      Qt::QueuedConnection);
}
