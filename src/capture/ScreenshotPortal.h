#pragma once

#include <chrono>

#include <QDBusConnection>
#include <QString>

namespace pixmoth {

// How one screenshot request to the desktop portal ended.
struct PortalAnswer {
    enum class Outcome {
        Picture,  // `file` holds the desktop
        Missing,  // no portal, or one without the screenshot interface
        Refused,  // the user or the desktop said no (response 1)
        Failed,   // the portal tried and failed (response 2 and others, bad answers)
        NoAnswer, // nothing came back in time; the request was closed
    };
    Outcome outcome = Outcome::Failed;
    QString file;   // local path of the picture the portal wrote (Picture)
    QString detail; // what the bus or the portal said, for the message (Missing, Failed)
};

// The client of org.freedesktop.portal.Screenshot: one non-interactive
// Screenshot call, then the Response signal on the request object.
//
// Take() returns the answer to the calling thread: the conversation runs on a
// short-lived thread of its own with its own event loop, so the caller's event
// loop is neither run nor nested (the capture panel calls this between hiding
// itself and showing the overlay).
class ScreenshotPortal {
public:
    explicit ScreenshotPortal(std::chrono::milliseconds timeout,
                              QDBusConnection bus = SessionBus());

    // A connection of its own to the session bus. The shared sessionBus()
    // holds back signals until the main thread runs its event loop, which the
    // command line never does.
    static QDBusConnection SessionBus();

    PortalAnswer Take();
    // Starts the portal service (D-Bus activation) without waiting for it, so
    // that the first Take() does not pay for it. Never throws.
    void WakeUp();

    std::chrono::milliseconds Timeout() const { return mTimeout; }

private:
    std::chrono::milliseconds mTimeout;
    QDBusConnection mBus;
};

} // namespace pixmoth
