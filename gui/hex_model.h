#ifndef TARNWICK_GUI_HEX_MODEL_H_
#define TARNWICK_GUI_HEX_MODEL_H_

#include <QAbstractTableModel>

#include "gui/chip_buffer.h"

// The buffer as a table of 16 bytes a row, with their text at the end of
// each row: a byte's cell shows it in hexadecimal on its kind's colour, and
// what the chip holds there when that differs.
class HexModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int kBytesPerRow = 16;
  static constexpr int kTextColumn = kBytesPerRow;

  explicit HexModel(const ChipBuffer* buffer, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role) const override;

  // The cell of the byte at `address`.
  QModelIndex IndexOf(int address) const;

 private:
  void BufferChanged();

  const ChipBuffer* buffer_;
  int rows_ = 0;
};

#endif  // TARNWICK_GUI_HEX_MODEL_H_
