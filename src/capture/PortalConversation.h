#pragma once

#include <chrono>

#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <QVariantMap>

#include "capture/ScreenshotPortal.h"

namespace pixmoth {

// One Screenshot request, from the call to its Response, on the thread the
// object lives in. Emits Finished() exactly once, after which Answer() holds
// the outcome.
class PortalConversation : public QObject {
    Q_OBJECT

public:
    PortalConversation(QDBusConnection bus, std::chrono::milliseconds timeout);

    void Start();
    bool Done() const { return mDone; }
    const PortalAnswer& Answer() const { return mAnswer; }

signals:
    void Finished();

private slots:
    void Response(uint code, const QVariantMap& results);

private:
    void Listen(const QString& requestPath);
    void Finish(PortalAnswer::Outcome outcome, const QString& file = {},
                const QString& detail = {});
    void GiveUp();

    QDBusConnection mBus;
    std::chrono::milliseconds mTimeout;
    QTimer mTimer;
    QString mRequestPath;
    bool mDone = false;
    PortalAnswer mAnswer;
};

} // namespace pixmoth
