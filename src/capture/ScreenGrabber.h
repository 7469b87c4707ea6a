#pragma once

#include <QRect>

#include "imaging/bitmap/Bitmap.h"

namespace pixmoth {

// The whole desktop as it was at one moment.
struct ScreenGrab {
    // 32-bit (blue, green, red, unused), in device pixels: on a scaled (HiDPI)
    // screen it has the screen's real resolution. Pixel (0, 0) is the desktop's
    // top-left pixel.
    Bitmap pixels;
    // The desktop in the widgets' (logical) coordinates, all monitors together.
    QRect geometry;
    // Device pixels per logical pixel.
    qreal devicePixelRatio = 1.0;
};

// Reads the screen for the capture overlay and pixmoth-cli; one class per
// display system, the one in use chosen once at start-up.
class ScreenGrabber {
public:
    virtual ~ScreenGrabber() = default;
    // Throws an Error with a message for the user when the screen cannot be read.
    virtual ScreenGrab GrabDesktop() = 0;
    // Does the slow first-time work of a grab ahead (the capture panel calls it
    // when it is made, so Start shows the overlay without extra delay). Never throws.
    virtual void Prepare() {}
};

// The grabber in use: the display system's unless a test installed another.
ScreenGrabber& CurrentScreenGrabber();
// Not owned; nullptr puts the display system's grabber back.
void InstallScreenGrabber(ScreenGrabber* grabber);

} // namespace pixmoth
