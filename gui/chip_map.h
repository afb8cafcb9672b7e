#ifndef TARNWICK_GUI_CHIP_MAP_H_
#define TARNWICK_GUI_CHIP_MAP_H_

#include <QRect>
#include <QWidget>

#include "gui/chip_buffer.h"

// The whole chip at a glance: one cell per block of kBlockBytes bytes, 16
// blocks a row, each in the colour of the highest kind of byte in it (see
// ByteKind), with the address an operation has reached outlined and a
// legend below. Clicking a cell chooses its first address.
class ChipMap : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kBlockBytes = 16;
  static constexpr int kBlocksPerRow = 16;

  explicit ChipMap(const ChipBuffer* buffer, QWidget* parent = nullptr);

  // The address a running operation has reached; -1 for none.
  void SetActiveAddress(int address);

  // The cell of the block holding `address`, in widget coordinates.
  QRect CellRect(int address) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void addressChosen(int address);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  int Rows() const;
  int CellSize() const;
  int LegendHeight() const;
  // The first address of the block under `point`, or -1.
  int AddressAt(const QPoint& point) const;

  const ChipBuffer* buffer_;
  int active_address_ = -1;
};

#endif  // TARNWICK_GUI_CHIP_MAP_H_
