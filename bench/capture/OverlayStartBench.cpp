// From a click on Start to the capture overlay on the screen (mapped and
// exposed by the X server), on the X display in DISPLAY. The panel waits 40 ms
// on purpose; what comes on top of that is the desktop grab and showing the
// overlay. bench/capture/overlay-start.sh runs it on a 1920 x 1080 Xvfb screen.
//
// In a Wayland session (bench/capture/wayland-overlay-start.sh) the grab is the
// desktop portal's screenshot; each run then first times the portal alone (the
// call until its answer, the picture written) and the decoding of its picture,
// by the program's own PNG decoder and by Qt's reader, so the ratio compares
// runs made side by side.
#include <cstdio>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QToolButton>
#include <QWindow>

#include "BenchMedian.h"
#include "capture/ScreenshotPortal.h"
#include "capture/TEraseF.h"
#include "capture/TStartF.h"
#include "capture/WaylandCapture.h"
#include "imaging/codecs/PngCodec.h"
#include "platform/Environment.h"
#include "platform/QtPaths.h"

namespace {

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

using pixmoth::bench::Median;

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    auto* panel = new pixmoth::TStartF(nullptr);
    panel->show();
    WaitFor([&] { return panel->windowHandle() && panel->windowHandle()->isExposed(); }, 5000);
    const bool wayland = pixmoth::IsWaylandSession(pixmoth::CurrentEnvironment());
    pixmoth::ScreenshotPortal portal(std::chrono::seconds(30));
    std::vector<double> times;
    std::vector<double> portalTimes;
    std::vector<double> decodeTimes;
    std::vector<double> qtDecodeTimes;
    for (int run = 0; run < 15; ++run) {
        if (wayland) {
            QElapsedTimer portalClock;
            portalClock.start();
            const pixmoth::PortalAnswer answer = portal.Take();
            portalTimes.push_back(portalClock.nsecsElapsed() / 1e6);
            if (answer.outcome != pixmoth::PortalAnswer::Outcome::Picture) {
                std::fprintf(stderr, "the portal gave no picture\n");
                return 1;
            }
            portalClock.restart();
            try {
                pixmoth::LoadPng(pixmoth::ToNative(answer.file), pixmoth::PixelFormat::Bit32);
            } catch (const std::exception& error) {
                std::fprintf(stderr, "%s\n", error.what());
                return 1;
            }
            decodeTimes.push_back(portalClock.nsecsElapsed() / 1e6);
            portalClock.restart();
            const QImage picture = QImage(answer.file).convertToFormat(QImage::Format_RGB32);
            qtDecodeTimes.push_back(portalClock.nsecsElapsed() / 1e6);
            QFile::remove(answer.file);
            if (picture.isNull()) {
                std::fprintf(stderr, "the portal's picture could not be read\n");
                return 1;
            }
            WaitFor([] { return false; }, 100); // let the desktop settle
        }
        QElapsedTimer clock;
        clock.start();
        panel->Button(1)->click();
        const bool shown = WaitFor(
            [&] {
                pixmoth::TEraseF* overlay = panel->Overlay();
                return overlay && overlay->windowHandle() && overlay->windowHandle()->isExposed();
            },
            5000);
        if (!shown) {
            std::fprintf(stderr, "the overlay did not appear\n");
            return 1;
        }
        times.push_back(clock.nsecsElapsed() / 1e6);
        QKeyEvent q(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, QStringLiteral("q"));
        QCoreApplication::sendEvent(panel->Overlay(), &q);
        WaitFor([&] { return panel->windowHandle()->isExposed(); }, 5000);
        WaitFor([] { return false; }, 100); // let the desktop settle
    }
    const double median = Median(times);
    std::printf("Start to overlay on screen: median %.1f ms over %zu runs, "
                "%.1f ms beyond the 40 ms wait\n",
                median, times.size(), median - 40.0);
    if (wayland) {
        const double portalMedian = Median(portalTimes);
        std::printf("the portal's own screenshot: median %.1f ms; decoding its picture: "
                    "median %.1f ms (Qt's reader: %.1f ms); Start to overlay / portal: %.2f\n",
                    portalMedian, Median(decodeTimes), Median(qtDecodeTimes),
                    median / portalMedian);
    }
    delete panel;
    return 0;
}
