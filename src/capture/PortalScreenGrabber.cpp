#include "capture/PortalScreenGrabber.h"

#include <cstring>

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QScreen>

#include "capture/WaylandCapture.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/PngCodec.h"
#include "platform/Environment.h"
#include "platform/QtPaths.h"

namespace pixmoth {

namespace {

const std::string kNothingCaptured = "; nothing was captured.";
const std::string kNoPortal =
    "This Wayland desktop offers no screenshot portal, so the screen cannot be read. "
    "Install xdg-desktop-portal with the portal of your desktop "
    "(xdg-desktop-portal-gnome, -kde or -wlr) and log in again.";

// The desktop in the widgets' coordinates, where there are widgets (the
// command line may run without a display).
QScreen* DesktopScreen() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr
               ? QGuiApplication::primaryScreen()
               : nullptr;
}

// Removes the portal's picture once read, when it was left among temporary
// files; a picture saved elsewhere is the user's and stays.
void RemoveIfTemporary(const QString& file) {
    const QString resolved = QFileInfo(file).canonicalFilePath();
    if (!resolved.isEmpty() &&
        InTemporaryFolder(ToNative(resolved), TemporaryFolders(CurrentEnvironment()))) {
        QFile::remove(resolved);
    }
}

// The portal's picture as 32-bit pixels. The portals write PNG, which the
// program's own decoder reads straight into that format, in a little over half
// the time of Qt's reader and its conversion; anything else goes to Qt.
Bitmap ReadPicture(const QString& file) {
    QFile input(file);
    std::uint8_t head[8] = {};
    const bool png = input.open(QIODevice::ReadOnly) &&
                     input.read(reinterpret_cast<char*>(head), sizeof head) == sizeof head &&
                     IsPngData(head, sizeof head);
    input.close();
    if (png) {
        return LoadPng(ToNative(file), PixelFormat::Bit32);
    }
    QImageReader reader(file);
    QImage image = reader.read();
    if (image.isNull()) {
        throw Error(ToNative(file) + ": " + reader.errorString().toStdString());
    }
    image.convertTo(QImage::Format_RGB32);
    Bitmap pixels;
    pixels.Reset(image.width(), image.height(), PixelFormat::Bit32);
    const auto rowBytes = static_cast<std::size_t>(image.width()) * 4;
    for (int y = 0; y < image.height(); ++y) {
        std::memcpy(pixels.ScanLine(y), image.constScanLine(y), rowBytes);
    }
    return pixels;
}

} // namespace

PortalScreenGrabber::PortalScreenGrabber(ScreenshotPortal portal, ScreenGrabber& fallback)
    : mPortal(std::move(portal)), mFallback(fallback) {}

ScreenGrab PortalScreenGrabber::GrabDesktop() {
    const PortalAnswer answer = mPortal.Take();
    switch (answer.outcome) {
    case PortalAnswer::Outcome::Picture:
        return ReadPortalPicture(answer.file);
    case PortalAnswer::Outcome::Missing:
        return ReadXServer();
    case PortalAnswer::Outcome::Refused:
        throw Error("The desktop did not allow the screenshot (it was cancelled or refused)" +
                    kNothingCaptured);
    case PortalAnswer::Outcome::NoAnswer: {
        const auto seconds = std::chrono::ceil<std::chrono::seconds>(mPortal.Timeout()).count();
        throw Error("The desktop's screenshot portal did not answer within " +
                    std::to_string(seconds) + (seconds == 1 ? " second" : " seconds") +
                    kNothingCaptured);
    }
    case PortalAnswer::Outcome::Failed:
        break;
    }
    throw Error("The desktop's screenshot portal could not take the screenshot (" +
                answer.detail.toStdString() + ")" + kNothingCaptured);
}

ScreenGrab PortalScreenGrabber::ReadPortalPicture(const QString& file) const {
    ScreenGrab grab;
    try {
        grab.pixels = ReadPicture(file);
    } catch (const std::exception& error) {
        RemoveIfTemporary(file);
        throw Error("The screenshot the desktop wrote could not be read (" +
                    std::string(error.what()) + ")" + kNothingCaptured);
    }
    RemoveIfTemporary(file);
    if (IsAllBlack(grab.pixels)) {
        throw Error("The desktop's screenshot came back all black" + kNothingCaptured);
    }
    // The portal gives device pixels; the overlay covers the desktop as the
    // widgets see it, which on a scaled screen is smaller.
    QScreen* screen = DesktopScreen();
    const QRect own(0, 0, grab.pixels.Width(), grab.pixels.Height());
    grab.geometry = screen != nullptr ? screen->virtualGeometry() : own;
    if (grab.geometry.width() <= 0) {
        grab.geometry = own;
    }
    grab.devicePixelRatio = static_cast<qreal>(own.width()) / grab.geometry.width();
    return grab;
}

ScreenGrab PortalScreenGrabber::ReadXServer() {
    if (DesktopScreen() == nullptr) {
        throw Error(kNoPortal);
    }
    ScreenGrab grab = mFallback.GrabDesktop();
    if (IsAllBlack(grab.pixels)) {
        throw Error(kNoPortal);
    }
    return grab;
}

void PortalScreenGrabber::Prepare() {
    mPortal.WakeUp();
}

} // namespace pixmoth
