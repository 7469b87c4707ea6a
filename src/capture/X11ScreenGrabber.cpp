#include "capture/X11ScreenGrabber.h"

#include <cmath>
#include <cstring>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <xcb/xcb.h>

#include "capture/XcbShmReader.h"
#include "imaging/bitmap/Error.h"

namespace pixmoth {

namespace {

// The root window whose size is the whole desktop in device pixels, when its
// pixels are blue, green, red, unused bytes in memory; 0 otherwise.
xcb_window_t DesktopRoot(xcb_connection_t* connection, int width, int height) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) {
        return 0;
    }
    for (auto screens = xcb_setup_roots_iterator(setup); screens.rem; xcb_screen_next(&screens)) {
        const xcb_screen_t* screen = screens.data;
        if (screen->width_in_pixels != width || screen->height_in_pixels != height ||
            screen->root_depth != 24) {
            continue;
        }
        for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem;
             xcb_depth_next(&depths)) {
            for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
                 xcb_visualtype_next(&visuals)) {
                const xcb_visualtype_t* visual = visuals.data;
                if (visual->visual_id == screen->root_visual) {
                    const bool bgr = visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 &&
                                     visual->blue_mask == 0xFF;
                    return bgr ? screen->root : 0;
                }
            }
        }
    }
    return 0;
}

// The reader for the whole X screen and the screen's size in device pixels,
// when the desktop is exactly that screen and its pixels suit the fast path.
struct SharedMemoryTarget {
    XcbShmReader* reader = nullptr;
    xcb_window_t root = 0;
    int width = 0;
    int height = 0;
};

SharedMemoryTarget FindSharedMemoryTarget(const QRect& desktop, qreal ratio) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || desktop.topLeft() != QPoint(0, 0)) {
        return {};
    }
    const double width = desktop.width() * ratio;
    const double height = desktop.height() * ratio;
    if (width != std::floor(width) || height != std::floor(height)) {
        return {};
    }
    xcb_connection_t* connection = x11->connection();
    const xcb_window_t root =
        DesktopRoot(connection, static_cast<int>(width), static_cast<int>(height));
    if (root == 0) {
        return {};
    }
    // Never destroyed: at exit the X connection is already gone, and the kernel
    // frees the segment (marked for removal) with the process.
    static XcbShmReader* reader = nullptr;
    static xcb_connection_t* readerConnection = nullptr;
    if (reader == nullptr || readerConnection != connection) {
        reader = new XcbShmReader(connection);
        readerConnection = connection;
    }
    return {reader, root, static_cast<int>(width), static_cast<int>(height)};
}

} // namespace

ScreenGrab X11ScreenGrabber::GrabDesktop() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        throw Error("There is no screen to capture.");
    }
    // Window 0 is the root window, which covers all monitors; Qt reads it
    // relative to the asked screen and, by default, only that screen's part, so
    // the whole desktop is asked for explicitly.
    const QRect desktop = screen->virtualGeometry();
    ScreenGrab grab;
    grab.geometry = desktop;
    grab.devicePixelRatio = screen->devicePixelRatio();
    const SharedMemoryTarget target = FindSharedMemoryTarget(desktop, grab.devicePixelRatio);
    if (target.reader != nullptr &&
        target.reader->Read(target.root, target.width, target.height, grab.pixels)) {
        return grab;
    }
    const QRect own = screen->geometry();
    const QPixmap pixmap = screen->grabWindow(0, desktop.x() - own.x(), desktop.y() - own.y(),
                                              desktop.width(), desktop.height());
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) {
        throw Error("The screen could not be read.");
    }
    grab.pixels.Reset(image.width(), image.height(), PixelFormat::Bit32);
    const auto rowBytes = static_cast<std::size_t>(image.width()) * 4;
    for (int y = 0; y < image.height(); ++y) {
        std::memcpy(grab.pixels.ScanLine(y), image.constScanLine(y), rowBytes);
    }
    grab.devicePixelRatio = pixmap.devicePixelRatio();
    return grab;
}

void X11ScreenGrabber::Prepare() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const SharedMemoryTarget target =
        FindSharedMemoryTarget(screen->virtualGeometry(), screen->devicePixelRatio());
    if (target.reader != nullptr) {
        target.reader->Prepare(target.width, target.height);
    }
}

} // namespace pixmoth
