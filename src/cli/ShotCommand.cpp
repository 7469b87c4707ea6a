#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include <QByteArray>
#include <QGuiApplication>

#include "capture/ScreenGrabber.h"
#include "capture/TakeShot.h"
#include "capture/WaylandCapture.h"
#include "cli/Commands.h"
#include "document/Selection.h"
#include "imaging/bitmap/Error.h"
#include "platform/Environment.h"

namespace pixmoth::cli {

namespace {

// "F1" .. "F12" (either case) give the series 1 .. 12.
int SeriesOf(const std::string& key) {
    if (key.size() >= 2 && (key[0] == 'F' || key[0] == 'f')) {
        try {
            const int series = ParseInt(key.substr(1), "KEY");
            if (series >= 1 && series <= 12) {
                return series;
            }
        } catch (const Error&) {
        }
    }
    throw Error("KEY must be a function key F1 .. F12, not \"" + key + "\"");
}

Rect ParseRect(const std::string& text) {
    Rect rect;
    int* fields[] = {&rect.left, &rect.top, &rect.right, &rect.bottom};
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = text.find(',', start);
        const bool last = i == 3;
        if (last != (comma == std::string::npos)) {
            throw Error("--rect takes LEFT,TOP,RIGHT,BOTTOM, not \"" + text + "\"");
        }
        *fields[i] =
            ParseInt(text.substr(start, last ? std::string::npos : comma - start), "--rect");
        start = comma + 1;
    }
    return rect;
}

// Qt ends the process when it cannot reach the X server; a user of the command
// line gets one clear line and the usual exit status instead.
void ExitOnFatal(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "pixmoth-cli: cannot read the screen: %s\n",
                     message.toLocal8Bit().constData());
        std::_Exit(1);
    }
}

} // namespace

void ShotCommand(const CommandLine& line, Stopwatch& stopwatch) {
    line.ExpectPositional(1, 1, kShotUsage);
    const int series = SeriesOf(line.Positional()[0]);
    const Rect selection = line.Value("rect") ? ParseRect(*line.Value("rect")) : Rect{};
    const std::string display = CurrentEnvironment().Variable("DISPLAY").value_or("");
    // A Wayland desktop is read through its screenshot portal, which needs no
    // display of ours; elsewhere the X server is read.
    const bool wayland = IsWaylandSession(CurrentEnvironment());
    if (display.empty() && !wayland) {
        throw Error("No X display to read: DISPLAY is not set");
    }
    int argc = 1;
    char name[] = "pixmoth-cli";
    char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> application;
    if (display.empty()) {
        application = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        // X11 (on a Wayland desktop, its XWayland).
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
        const QtMessageHandler previous = qInstallMessageHandler(ExitOnFatal);
        application = std::make_unique<QGuiApplication>(argc, argv);
        qInstallMessageHandler(previous);
    }

    const ScreenGrab grab = CurrentScreenGrabber().GrabDesktop();
    stopwatch.Start();
    const std::string path =
        TakeShot(grab.pixels, series, NormalizeRect(selection), ShotsDirectory());
    stopwatch.Stop();
    std::cout << path << "\n";
}

} // namespace pixmoth::cli
