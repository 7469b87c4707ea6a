#include "capture/ScreenGrabber.h"

#include "capture/X11ScreenGrabber.h"

namespace pixmoth {

namespace {
ScreenGrabber* gInstalled = nullptr;
}

ScreenGrabber& CurrentScreenGrabber() {
    static X11ScreenGrabber system;
    return gInstalled != nullptr ? *gInstalled : system;
}

void InstallScreenGrabber(ScreenGrabber* grabber) {
    gInstalled = grabber;
}

} // namespace pixmoth
