#include "capture/ScreenGrabber.h"

#include "capture/PortalScreenGrabber.h"
#include "capture/WaylandCapture.h"
#include "capture/X11ScreenGrabber.h"
#include "platform/Environment.h"

namespace pixmoth {

namespace {
ScreenGrabber* gInstalled = nullptr;

ScreenGrabber& SystemGrabber() {
    static X11ScreenGrabber x11;
    if (!IsWaylandSession(CurrentEnvironment())) {
        return x11;
    }
    static PortalScreenGrabber portal(ScreenshotPortal(PortalScreenGrabber::kTimeout), x11);
    return portal;
}
} // namespace

ScreenGrabber& CurrentScreenGrabber() {
    // Chosen once: the session does not change while the program runs.
    static ScreenGrabber& system = SystemGrabber();
    return gInstalled != nullptr ? *gInstalled : system;
}

void InstallScreenGrabber(ScreenGrabber* grabber) {
    gInstalled = grabber;
}

} // namespace pixmoth
