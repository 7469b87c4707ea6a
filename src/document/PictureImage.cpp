#include "document/PictureImage.h"

#include <cstring>

#include <QPainter>

namespace pixmoth {

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
