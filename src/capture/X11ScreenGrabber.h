#pragma once

#include "capture/ScreenGrabber.h"

namespace pixmoth {

// X11 (also a Wayland session through XWayland): the root window, which spans
// every monitor of the X screen, read through the X server's shared memory when
// it offers it, else through QScreen::grabWindow(0).
class X11ScreenGrabber : public ScreenGrabber {
public:
    ScreenGrab GrabDesktop() override;
    void Prepare() override;
};

} // namespace pixmoth
