#include "capture/PortalConversation.h"

#include <atomic>

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QUrl>

#include "capture/WaylandCapture.h"

namespace pixmoth {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kObject = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenshot = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

// Unique among this process's requests; the portal makes it unique per sender.
QString NewToken() {
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("pixmoth%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
}

// Errors saying that nobody on the bus offers the screenshot interface.
bool MeansMissing(QDBusError::ErrorType type) {
    return type == QDBusError::ServiceUnknown || type == QDBusError::UnknownObject ||
           type == QDBusError::UnknownInterface || type == QDBusError::UnknownMethod;
}

} // namespace

PortalConversation::PortalConversation(QDBusConnection bus, std::chrono::milliseconds timeout)
    : mBus(std::move(bus)), mTimeout(timeout) {
    mTimer.setSingleShot(true);
    connect(&mTimer, &QTimer::timeout, this, &PortalConversation::GiveUp);
}

void PortalConversation::Start() {
    if (!mBus.isConnected()) {
        Finish(PortalAnswer::Outcome::Missing, {}, mBus.lastError().message());
        return;
    }
    const QString token = NewToken();
    // Listening starts before the call: a quick portal answers before the
    // call's own reply has come back.
    Listen(QString::fromStdString(
        PortalRequestPath(mBus.baseService().toStdString(), token.toStdString())));
    mTimer.start(mTimeout);

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kObject, kScreenshot,
                                                       QStringLiteral("Screenshot"));
    call << QString() // no parent window: the portal has no window of ours to attach to
         << QVariantMap{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("interactive"), false}};
    auto* watcher =
        new QDBusPendingCallWatcher(mBus.asyncCall(call, static_cast<int>(mTimeout.count())), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        if (mDone) {
            return;
        }
        const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (reply.isError()) {
            const QDBusError error = reply.error();
            if (error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout ||
                error.type() == QDBusError::TimedOut) {
                GiveUp();
            } else {
                Finish(MeansMissing(error.type()) ? PortalAnswer::Outcome::Missing
                                                  : PortalAnswer::Outcome::Failed,
                       {}, error.message());
            }
            return;
        }
        // Portals before version 0.9 chose the request's path themselves.
        const QString handle = reply.value().path();
        if (handle != mRequestPath) {
            Listen(handle);
        }
    });
}

void PortalConversation::Listen(const QString& requestPath) {
    if (!mRequestPath.isEmpty()) {
        mBus.disconnect(kService, mRequestPath, kRequest, QStringLiteral("Response"), this,
                        SLOT(Response(uint, QVariantMap)));
    }
    mRequestPath = requestPath;
    mBus.connect(kService, mRequestPath, kRequest, QStringLiteral("Response"), this,
                 SLOT(Response(uint, QVariantMap)));
}

void PortalConversation::Response(uint code, const QVariantMap& results) {
    if (mDone) {
        return;
    }
    switch (code) {
    case 0: {
        const QUrl uri(results.value(QStringLiteral("uri")).toString());
        if (uri.isLocalFile()) {
            Finish(PortalAnswer::Outcome::Picture, uri.toLocalFile());
        } else {
            Finish(PortalAnswer::Outcome::Failed, {},
                   QStringLiteral("it named no picture file (\"%1\")").arg(uri.toString()));
        }
        break;
    }
    case 1:
        Finish(PortalAnswer::Outcome::Refused);
        break;
    default:
        Finish(PortalAnswer::Outcome::Failed, {},
               QStringLiteral("it answered with failure %1").arg(code));
        break;
    }
}

void PortalConversation::GiveUp() {
    if (mDone) {
        return;
    }
    // Closing the request takes a question the desktop may still be asking
    // off the screen, and no picture is written for nobody to read.
    if (!mRequestPath.isEmpty()) {
        mBus.send(QDBusMessage::createMethodCall(kService, mRequestPath, kRequest,
                                                 QStringLiteral("Close")));
    }
    Finish(PortalAnswer::Outcome::NoAnswer);
}

void PortalConversation::Finish(PortalAnswer::Outcome outcome, const QString& file,
                                const QString& detail) {
    mDone = true;
    mTimer.stop();
    if (!mRequestPath.isEmpty()) {
        mBus.disconnect(kService, mRequestPath, kRequest, QStringLiteral("Response"), this,
                        SLOT(Response(uint, QVariantMap)));
    }
    mAnswer = {outcome, file, detail};
    emit Finished();
}

} // namespace pixmoth
