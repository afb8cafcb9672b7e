#include "gui/image_loader.h"

#include <QCoreApplication>
#include <QFile>

namespace {

class ImageLoader {
  Q_DECLARE_TR_FUNCTIONS(ImageLoader)

 public:
  static QString Why(ImageLoadResult result, const ImageError& error);
};

QString ImageLoader::Why(ImageLoadResult result, const ImageError& error) {
  const QString detail = error.line > 0
                             ? tr("line %1: %2")
                                   .arg(error.line)
                                   .arg(QString::fromStdString(error.what))
                             : QString::fromStdString(error.what);
  switch (result) {
    case ImageLoadResult::kNotOpened:
      return tr("The file cannot be opened.");
    case ImageLoadResult::kTooLarge:
      return tr("The file is too large for an image.");
    case ImageLoadResult::kNotRead:
      return tr("The file could not be read to its end.");
    case ImageLoadResult::kMalformed:
      return tr("The file is not a usable image (%1).").arg(detail);
    case ImageLoadResult::kLoaded:
      break;
  }
  return tr("The image does not fit the chip (%1).").arg(detail);
}

// The format the bytes were read as, told the way ParseImage tells it.
ImageFormat FormatRead(const QString& path, const ChipImage& image) {
  const ImageFormat by_name =
      ImageFormatOfName(FilePath(QFile::encodeName(path).toStdString()));
  if (by_name != ImageFormat::kAuto) return by_name;
  if (!image.whole_chip) return ImageFormat::kRaw;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return ImageFormat::kAuto;
  const QByteArray head = file.read(64).trimmed();
  const int start = head.startsWith("\xEF\xBB\xBF") ? 3 : 0;
  return head.mid(start, 1) == "S" ? ImageFormat::kSRecord
                                   : ImageFormat::kIntelHex;
}

// The part of a chip of `size` bytes, as messages name it.
std::string PartOfSize(int size) { return size > 4096 ? "89C52" : "89C51"; }

}  // namespace

LoadedImage LoadImageForBuffer(const QString& path, int chip_size, bool fixed) {
  LoadedImage loaded;
  ImageError error;
  const FilePath file(QFile::encodeName(path).toStdString());
  const ImageLoadResult result = LoadImageFile(
      file, ImageFormat::kAuto, kLargestChip, &loaded.image, &error);
  if (result != ImageLoadResult::kLoaded) {
    loaded.error = ImageLoader::Why(result, error);
    return loaded;
  }
  loaded.format = FormatRead(path, loaded.image);
  ChipImage fitted = loaded.image;
  loaded.chip_size = chip_size;
  if (!FitImageToChip(&fitted, chip_size, PartOfSize(chip_size), &error)) {
    if (fixed || chip_size >= kLargestChip) {
      loaded.error = ImageLoader::Why(ImageLoadResult::kLoaded, error);
      return loaded;
    }
    loaded.chip_size = kLargestChip;
    fitted = loaded.image;
    if (!FitImageToChip(&fitted, kLargestChip, PartOfSize(kLargestChip),
                        &error)) {
      loaded.error = ImageLoader::Why(ImageLoadResult::kLoaded, error);
      return loaded;
    }
  }
  loaded.image = fitted;
  loaded.ok = true;
  return loaded;
}

QString FormatName(ImageFormat format) {
  switch (format) {
    case ImageFormat::kIntelHex:
      return ImageLoader::tr("Intel HEX");
    case ImageFormat::kSRecord:
      return ImageLoader::tr("S-records");
    case ImageFormat::kRaw:
      return ImageLoader::tr("raw binary");
    case ImageFormat::kAuto:
      break;
  }
  return ImageLoader::tr("image");
}
