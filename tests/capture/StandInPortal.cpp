// A stand-in for the desktop portal's screenshot interface, for the tests of
// the portal client: it owns org.freedesktop.portal.Desktop on the (private)
// session bus it is started on and answers Screenshot calls as the real one
// does, with the answer the test chose through its control interface:
//
//   org.pixmoth.test.StandInPortal.SetAnswer(s answer, s source, s target)
//     picture  copy the PNG `source` to `target`, answer 0 with its file URI
//     early    the same, but the Response comes before the call's reply
//     cancel   answer 1 (the user cancelled)
//     fail     answer 2 (another failure)
//     silent   never answer
//     absent   reply to the call as a portal without the screenshot interface
//   org.pixmoth.test.StandInPortal.Calls() -> as
//     one line per call received: "Screenshot parent=<s> token=<s>
//     interactive=<b> sender=<s>", or "Close <request path>"
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFile>
#include <QObject>
#include <QStringList>
#include <QUrl>

namespace {

QStringList gCalls;

class Request : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")

public:
    explicit Request(QString path) : mPath(std::move(path)) {}

public slots:
    void Close() {
        gCalls << QStringLiteral("Close ") + mPath;
        QDBusConnection::sessionBus().unregisterObject(mPath);
        deleteLater();
    }

private:
    QString mPath;
};

class ScreenshotService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")

public:
    QString answer = QStringLiteral("picture");
    QString source;
    QString target;

public slots:
    QDBusObjectPath Screenshot(const QString& parentWindow, const QVariantMap& options,
                               const QDBusMessage& message) {
        const QString token = options.value(QStringLiteral("handle_token")).toString();
        gCalls << QStringLiteral("Screenshot parent=%1 token=%2 interactive=%3 sender=%4")
                      .arg(parentWindow, token,
                           options.value(QStringLiteral("interactive")).toBool()
                               ? QStringLiteral("true")
                               : QStringLiteral("false"),
                           message.service());
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (answer == QLatin1String("absent")) {
            message.setDelayedReply(true);
            bus.send(message.createErrorReply(
                QDBusError::UnknownMethod,
                QStringLiteral("No such interface \"org.freedesktop.portal.Screenshot\"")));
            return {};
        }
        QString sender = message.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString path =
            QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
        bus.registerObject(path, new Request(path), QDBusConnection::ExportAllSlots);

        uint code = 0;
        QVariantMap results;
        if (answer == QLatin1String("picture") || answer == QLatin1String("early")) {
            QFile::remove(target);
            QFile::copy(source, target);
            results.insert(QStringLiteral("uri"), QUrl::fromLocalFile(target).toString());
        } else if (answer == QLatin1String("cancel")) {
            code = 1;
        } else if (answer == QLatin1String("fail")) {
            code = 2;
        }
        QDBusMessage response = QDBusMessage::createTargetedSignal(
            message.service(), path, QStringLiteral("org.freedesktop.portal.Request"),
            QStringLiteral("Response"));
        response << code << results;
        message.setDelayedReply(true);
        const QDBusMessage reply = message.createReply(QVariant::fromValue(QDBusObjectPath(path)));
        if (answer == QLatin1String("early")) {
            bus.send(response);
            bus.send(reply);
        } else {
            bus.send(reply);
            if (answer != QLatin1String("silent")) {
                bus.send(response);
            }
        }
        return {};
    }
};

class Control : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.pixmoth.test.StandInPortal")

public:
    explicit Control(ScreenshotService* screenshot) : mScreenshot(screenshot) {}

public slots:
    void SetAnswer(const QString& answer, const QString& source, const QString& target) {
        mScreenshot->answer = answer;
        mScreenshot->source = source;
        mScreenshot->target = target;
        gCalls.clear();
    }
    QStringList Calls() { return gCalls; }

private:
    ScreenshotService* mScreenshot;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    ScreenshotService screenshot;
    Control control(&screenshot);
    const QString object = QStringLiteral("/org/freedesktop/portal/desktop");
    if (!bus.registerObject(object, &screenshot, QDBusConnection::ExportAllSlots) ||
        !bus.registerObject(QStringLiteral("/org/pixmoth/test"), &control,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        qCritical("stand-in portal: cannot register on the bus: %s",
                  qPrintable(bus.lastError().message()));
        return 1;
    }
    return application.exec();
}

#include "StandInPortal.moc"
