#ifndef TARNWICK_GUI_CHIP_BUFFER_H_
#define TARNWICK_GUI_CHIP_BUFFER_H_

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVector>

#include "image/checksum.h"
#include "image/chip_image.h"

// What a byte of the buffer is, as the hex view and the chip map colour it,
// most important last: a view of many bytes shows the highest kind among
// them.
enum class ByteKind {
  kOutside,  // beyond the image (a raw file shorter than the chip)
  kBlank,    // FF: what an erased chip holds
  kData,     // any other byte
  kDiffers,  // the chip is known to hold another byte
  kFailed,   // programming it failed: the chip holds another byte
};

// The image the window shows, a file's or the chip's as read, and what is
// known of the chip in the socket, byte by byte. Changes are told by
// `changed` once per turn of the event loop, however many there were.
class ChipBuffer : public QObject {
  Q_OBJECT

 public:
  explicit ChipBuffer(QObject* parent = nullptr);

  // The image: `image` fitted to a chip of `chip_size` bytes. A raw image
  // covers its own length, a text image the whole chip. What is known of
  // the chip stays (a file opened after a read shows where they differ).
  void SetImage(const ChipImage& image, int chip_size, const QString& name);
  // The chip's size changed (another part in the socket): the image is
  // cut or padded with bytes outside it, and nothing is known of the chip.
  void SetChipSize(int chip_size);

  int ChipSize() const { return bytes_.size(); }
  // Bytes from address 0 that the image covers.
  int ImageLength() const { return length_; }
  bool HasImage() const { return length_ > 0; }
  const QString& Name() const { return name_; }
  quint8 ByteAt(int address) const { return bytes_[address]; }
  // The image as tarnwick takes it: its covered bytes, raw.
  QByteArray ImageBytes() const { return bytes_.left(length_); }
  // SUM16 and CRC-32 as tarnwick computes them for the image.
  const ImageChecksums& Checksums() const { return sums_; }

  // --- What the chip holds --------------------------------------------
  // Nothing known (a new chip, or an operation that changes it begins).
  void ForgetChip();
  // The chip holds `byte` at `address`; `failed` when programming it there
  // failed.
  void ChipHolds(int address, quint8 byte, bool failed = false);
  // The chip holds the image wherever nothing else is known of it (an
  // operation passed, or listed every byte that differs).
  void ChipHoldsImageElsewhere();
  // The chip holds `bytes` from address 0 (a read).
  void ChipHoldsAll(const QByteArray& bytes);
  // The chip reads FF wherever nothing else is known of it (an erase or a
  // blank-check passed, or listed every byte that is not FF).
  void ChipBlankElsewhere();
  bool ChipKnownAt(int address) const { return known_[address]; }
  quint8 ChipAt(int address) const { return chip_[address]; }

  ByteKind KindAt(int address) const;
  // The highest kind of the bytes [first, first + count).
  ByteKind KindOf(int first, int count) const;
  int CountOf(ByteKind kind) const;

 signals:
  void changed();

 private:
  void Changed();

  QByteArray bytes_;
  int length_ = 0;
  QString name_;
  ImageChecksums sums_;
  QByteArray chip_;
  QVector<bool> known_;
  QVector<bool> failed_;
  bool change_pending_ = false;
};

#endif  // TARNWICK_GUI_CHIP_BUFFER_H_
