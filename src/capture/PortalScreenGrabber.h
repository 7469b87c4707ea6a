#pragma once

#include <chrono>

#include "capture/ScreenGrabber.h"
#include "capture/ScreenshotPortal.h"

namespace pixmoth {

// A Wayland session: the desktop from the desktop portal's screenshot, in its
// own (device) pixels, all monitors as the portal lays them out. The program's
// windows live on XWayland, which cannot see the Wayland desktop.
//
// Only where no portal offers screenshots is the X server read instead (as
// `fallback`), for desktops that show it whole; XWayland's answer there is
// black, which counts as a failure. A failure never gives a picture: the
// message says what the desktop did. The portal's picture is deleted after
// reading when it lies in a temporary folder.
class PortalScreenGrabber : public ScreenGrabber {
public:
    // Time for the desktop to answer, including a question it may ask the user first.
    static constexpr std::chrono::seconds kTimeout{30};

    PortalScreenGrabber(ScreenshotPortal portal, ScreenGrabber& fallback);

    ScreenGrab GrabDesktop() override;
    void Prepare() override;

private:
    ScreenGrab ReadPortalPicture(const QString& file) const;
    ScreenGrab ReadXServer();

    ScreenshotPortal mPortal;
    ScreenGrabber& mFallback;
};

} // namespace pixmoth
