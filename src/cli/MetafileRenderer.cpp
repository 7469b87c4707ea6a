#include <cstdio>

#include <QByteArray>
#include <QGuiApplication>

#include "cli/Commands.h"
#include "platform/WmfPicture.h"

namespace pixmoth::cli {

namespace {

// The toolkit's notes about the session (no runtime directory and the like)
// mean nothing to a listing; errors still reach stderr.
void QuietNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "pixmoth-cli: %s\n", message.toLocal8Bit().constData());
    }
}

} // namespace

void WithMetafileRenderer(const std::function<void(const WmfRenderer&)>& body) {
    // Off-screen: listing needs fonts, not a display.
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    const QtMessageHandler previous = qInstallMessageHandler(QuietNotes);
    int argc = 1;
    char name[] = "pixmoth-cli";
    char* argv[] = {name, nullptr};
    const QGuiApplication application(argc, argv);
    body(RenderWmf);
    qInstallMessageHandler(previous);
}

} // namespace pixmoth::cli
