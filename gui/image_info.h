#ifndef TARNWICK_GUI_IMAGE_INFO_H_
#define TARNWICK_GUI_IMAGE_INFO_H_

#include <QWidget>

#include "gui/chip_buffer.h"

class QLabel;

// The buffer's image in figures: its name and format, the bytes it gives,
// and its checksums as tarnwick computes them (SUM16 and CRC-32 of the chip
// image, SUM16 of the bytes the file gives), to compare with a label or the
// compiler's output.
class ImageInfo : public QWidget {
  Q_OBJECT

 public:
  explicit ImageInfo(const ChipBuffer* buffer, QWidget* parent = nullptr);

  // The format the image was read in ("Intel HEX"), or empty.
  void SetFormat(const QString& format);

 private:
  void Update();

  const ChipBuffer* buffer_;
  QString format_;
  QLabel* name_;
  QLabel* given_;
  QLabel* sum16_;
  QLabel* crc32_;
  QLabel* file_sum16_;
};

#endif  // TARNWICK_GUI_IMAGE_INFO_H_
