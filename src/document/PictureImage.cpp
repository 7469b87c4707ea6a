#include "document/PictureImage.h"

#include <cstring>

#include <QPainter>

namespace pixmoth {

QImage ToImage(const Bitmap& picture) {
    if (picture.Empty()) {
        return {};
    }
    const auto wrap = [](const Bitmap& bitmap) {
        // Rows are top-down BGR with the padding QImage expects; copy() detaches.
        return QImage(bitmap.Bits(), bitmap.Width(), bitmap.Height(),
                      static_cast<qsizetype>(bitmap.Stride()), QImage::Format_BGR888)
            .copy();
    };
    if (picture.Format() == PixelFormat::Bit24) {
        return wrap(picture);
    }
    Bitmap converted(picture);
    converted.To24Bit();
    return wrap(converted);
}

Bitmap FromImage(const QImage& image) {
    if (image.isNull()) {
        return {};
    }
    QImage opaque = image;
    if (image.hasAlphaChannel()) {
        opaque = QImage(image.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter painter(&opaque);
        painter.drawImage(0, 0, image);
    }
    opaque = opaque.convertToFormat(QImage::Format_BGR888);
    Bitmap bitmap(opaque.width(), opaque.height());
    const auto rowBytes = static_cast<std::size_t>(opaque.width()) * 3;
    for (int y = 0; y < opaque.height(); ++y) {
        std::memcpy(bitmap.ScanLine(y), opaque.constScanLine(y), rowBytes);
    }
    return bitmap;
}

} // namespace pixmoth
