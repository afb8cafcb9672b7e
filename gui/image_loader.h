#ifndef TARNWICK_GUI_IMAGE_LOADER_H_
#define TARNWICK_GUI_IMAGE_LOADER_H_

#include <QString>

#include "image/chip_image.h"
#include "image/image_file.h"

// The largest chip tarnwick drives (the 89C52).
constexpr int kLargestChip = 8192;

// An image file read for the buffer.
struct LoadedImage {
  bool ok = false;
  ChipImage image;                          // fitted to chip_size
  int chip_size = 0;                        // the chip it is shown as
  ImageFormat format = ImageFormat::kAuto;  // as read
  QString error;                            // why not ok, for the user
};

// Reads the file at `path` (Intel HEX, S-records or raw, told from its name,
// then from its content, as tarnwick does) for a chip of `chip_size` bytes.
// When the part is not `fixed` (no signature read yet), an image that only
// fits the largest chip is shown as one.
LoadedImage LoadImageForBuffer(const QString& path, int chip_size, bool fixed);

// The format's name: "Intel HEX".
QString FormatName(ImageFormat format);

#endif  // TARNWICK_GUI_IMAGE_LOADER_H_
