#include "document/PictureClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include "document/PictureImage.h"

namespace pixmoth {

void PutPictureOnClipboard(const Bitmap& picture) {
    // On X11 Qt hands everything it owns on the clipboard to a running
    // clipboard manager when the application object goes away.
    QGuiApplication::clipboard()->setImage(ToImage(picture));
}

bool ClipboardHoldsPicture() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->hasImage();
}

std::optional<Bitmap> PictureFromClipboard() {
    if (!ClipboardHoldsPicture()) {
        return std::nullopt;
    }
    const QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull()) {
        return std::nullopt;
    }
    return FromImage(image);
}

} // namespace pixmoth
