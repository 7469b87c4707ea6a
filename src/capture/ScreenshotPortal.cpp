#include "capture/ScreenshotPortal.h"

#include <memory>

#include <QDBusMessage>
#include <QEventLoop>
#include <QThread>

#include "capture/PortalConversation.h"

namespace pixmoth {

ScreenshotPortal::ScreenshotPortal(std::chrono::milliseconds timeout, QDBusConnection bus)
    : mTimeout(timeout), mBus(std::move(bus)) {}

QDBusConnection ScreenshotPortal::SessionBus() {
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                         QStringLiteral("pixmoth-screenshot-portal"));
}

PortalAnswer ScreenshotPortal::Take() {
    PortalAnswer answer;
    // The conversation's timer bounds the thread's life, so the wait ends.
    const std::unique_ptr<QThread> thread(QThread::create([this, &answer] {
        PortalConversation conversation(mBus, mTimeout);
        QEventLoop loop;
        QObject::connect(&conversation, &PortalConversation::Finished, &loop, &QEventLoop::quit);
        conversation.Start();
        if (!conversation.Done()) {
            loop.exec();
        }
        answer = conversation.Answer();
    }));
    thread->start();
    thread->wait();
    return answer;
}

void ScreenshotPortal::WakeUp() {
    if (!mBus.isConnected()) {
        return;
    }
    QDBusMessage ping = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"),
        QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    mBus.call(ping, QDBus::NoBlock);
}

} // namespace pixmoth
