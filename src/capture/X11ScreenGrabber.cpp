#include "capture/X11ScreenGrabber.h"

#include <cstring>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include "imaging/Error.h"

namespace pixmoth {

ScreenGrab X11ScreenGrabber::GrabDesktop() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        throw Error("There is no screen to capture.");
    }
    // Window 0 is the root window, which covers all monitors; Qt reads it
    // relative to the asked screen and, by default, only that screen's part, so
    // the whole desktop is asked for explicitly.
    const QRect desktop = screen->virtualGeometry();
    const QRect own = screen->geometry();
    const QPixmap pixmap = screen->grabWindow(0, desktop.x() - own.x(), desktop.y() - own.y(),
                                              desktop.width(), desktop.height());
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) {
        throw Error("The screen could not be read.");
    }
    ScreenGrab grab;
    grab.pixels.Reset(image.width(), image.height(), PixelFormat::Bit32);
    const auto rowBytes = static_cast<std::size_t>(image.width()) * 4;
    for (int y = 0; y < image.height(); ++y) {
        std::memcpy(grab.pixels.ScanLine(y), image.constScanLine(y), rowBytes);
    }
    grab.geometry = desktop;
    grab.devicePixelRatio = pixmap.devicePixelRatio();
    return grab;
}

} // namespace pixmoth
