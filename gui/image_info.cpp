#include "gui/image_info.h"

#include <QFormLayout>
#include <QLabel>

#include "gui/messages.h"

ImageInfo::ImageInfo(const ChipBuffer* buffer, QWidget* parent)
    : QWidget(parent), buffer_(buffer) {
  auto make = [this](const char* name) {
    auto* label = new QLabel(this);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
  };
  name_ = make("imageName");
  name_->setWordWrap(true);
  given_ = make("imageGiven");
  sum16_ = make("sum16");
  crc32_ = make("crc32");
  file_sum16_ = make("fileSum16");
  auto* form = new QFormLayout(this);
  form->addRow(tr("Image:"), name_);
  form->addRow(tr("Bytes:"), given_);
  form->addRow(tr("SUM16:"), sum16_);
  form->addRow(tr("CRC-32:"), crc32_);
  form->addRow(tr("File's SUM16:"), file_sum16_);
  connect(buffer_, &ChipBuffer::changed, this, &ImageInfo::Update);
  Update();
}

void ImageInfo::SetFormat(const QString& format) {
  format_ = format;
  Update();
}

void ImageInfo::Update() {
  if (!buffer_->HasImage()) {
    name_->setText(tr("none: open a file or read the chip"));
    for (QLabel* label : {given_, sum16_, crc32_, file_sum16_}) label->clear();
    return;
  }
  const ImageChecksums& sums = buffer_->Checksums();
  name_->setText(format_.isEmpty()
                     ? buffer_->Name()
                     : tr("%1 (%2)").arg(buffer_->Name(), format_));
  given_->setText(sums.bytes_given == 0
                      ? tr("none of the %1").arg(sums.chip_size)
                      : tr("%1 of %2, %3-%4")
                            .arg(sums.bytes_given)
                            .arg(sums.chip_size)
                            .arg(Hex(sums.first, 4), Hex(sums.last, 4)));
  sum16_->setText(QString::fromStdString(Sum16Text(sums.sum16)));
  crc32_->setText(QString::fromStdString(Crc32Text(sums.crc32)));
  file_sum16_->setText(QString::fromStdString(Sum16Text(sums.file_sum16)));
}
