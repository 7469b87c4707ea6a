#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "capture/PortalScreenGrabber.h"
#include "imaging/bitmap/Error.h"

namespace pixmoth {

namespace {

// The X server's answer where the portal is missing.
class StubGrabber : public ScreenGrabber {
public:
    ScreenGrab GrabDesktop() override {
        ++grabs;
        return {picture, QRect(0, 0, picture.Width(), picture.Height()), 1.0};
    }
    Bitmap picture;
    int grabs = 0;
};

// The grab's pixels as an image, to compare with the picture the portal wrote.
QImage ImageOf(const Bitmap& pixels) {
    return QImage(pixels.Bits(), pixels.Width(), pixels.Height(), pixels.Stride(),
                  QImage::Format_RGB32)
        .copy();
}

} // namespace

// The portal client against a stand-in portal on a private session bus: the
// calls it makes, the picture it reads, its messages, the files it removes.
class ScreenshotPortalTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir mDir; // under the temporary folder, like the portal's pictures
    QProcess mBus;
    QProcess mPortal;
    QString mAddress;
    QImage mDesktop;
    StubGrabber mXServer;
    std::unique_ptr<PortalScreenGrabber> mGrabber;

    QString Path(const QString& name) const { return mDir.filePath(name); }

    QDBusInterface Control() const {
        return QDBusInterface(QStringLiteral("org.freedesktop.portal.Desktop"),
                              QStringLiteral("/org/pixmoth/test"),
                              QStringLiteral("org.pixmoth.test.StandInPortal"),
                              QDBusConnection::connectToBus(mAddress, QStringLiteral("control")));
    }
    void SetAnswer(const QString& answer, const QString& source = {}, const QString& target = {}) {
        const QDBusMessage reply =
            Control().call(QStringLiteral("SetAnswer"), answer, source, target);
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    }
    QStringList Calls() const {
        const QDBusReply<QStringList> reply = Control().call(QStringLiteral("Calls"));
        return reply.value();
    }

    // The grab's error message, or "" when it gave a picture.
    QString Grab(ScreenGrab& grab) {
        try {
            grab = mGrabber->GrabDesktop();
            return {};
        } catch (const Error& error) {
            return QString::fromUtf8(error.what());
        }
    }

private slots:
    void initTestCase() {
        QVERIFY(mDir.isValid());
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
            QSKIP("dbus-daemon is not installed (scripts/deps.sh test installs it)");
        }
        // The session bus's own settings less its service folders: a missing
        // portal must stay missing, not be started from the system's files.
        QFile config(Path(QStringLiteral("bus.conf")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus "
                                    "Configuration 1.0//EN\" "
                                    "\"http://www.freedesktop.org/standards/dbus/1.0/"
                                    "busconfig.dtd\">\n<busconfig><type>session</type>"
                                    "<listen>unix:dir=%1</listen><auth>EXTERNAL</auth>"
                                    "<policy context=\"default\"><allow send_destination=\"*\" "
                                    "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                                    "<allow own=\"*\"/></policy></busconfig>\n")
                         .arg(mDir.path())
                         .toUtf8());
        config.close();
        mBus.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                    QStringLiteral("--config-file=") + config.fileName()});
        QVERIFY(mBus.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(mBus.canReadLine(), 5000);
        mAddress = QString::fromUtf8(mBus.readLine()).trimmed();
        // Before the client's first use of the session bus.
        qputenv("DBUS_SESSION_BUS_ADDRESS", mAddress.toUtf8());

        mPortal.setProcessChannelMode(QProcess::ForwardedChannels);
        mPortal.start(QCoreApplication::applicationDirPath() + QStringLiteral("/stand_in_portal"),
                      {});
        QVERIFY(mPortal.waitForStarted(5000));
        const QDBusConnection control =
            QDBusConnection::connectToBus(mAddress, QStringLiteral("control"));
        QVERIFY(control.isConnected());
        QTRY_VERIFY_WITH_TIMEOUT(control.interface()->isServiceRegistered(
                                     QStringLiteral("org.freedesktop.portal.Desktop")),
                                 5000);

        // Twice the screen's size in each direction: a screen scaled by 2.
        const QRect screen = QGuiApplication::primaryScreen()->virtualGeometry();
        mDesktop = QImage(2 * screen.width(), 2 * screen.height(), QImage::Format_RGB32);
        for (int y = 0; y < mDesktop.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(mDesktop.scanLine(y));
            for (int x = 0; x < mDesktop.width(); ++x) {
                row[x] = qRgb(x % 251, y % 241, (x * 7 + y * 3) % 256);
            }
        }
        QVERIFY(mDesktop.save(Path(QStringLiteral("desktop.png"))));
        QVERIFY(mDesktop.save(Path(QStringLiteral("desktop.bmp"))));
        QImage black(64, 48, QImage::Format_RGB32);
        black.fill(Qt::black);
        QVERIFY(black.save(Path(QStringLiteral("black.png"))));
        QFile damaged(Path(QStringLiteral("damaged.png")));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        QFile whole(Path(QStringLiteral("desktop.png")));
        QVERIFY(whole.open(QIODevice::ReadOnly));
        damaged.write(whole.read(200));

        mGrabber = std::make_unique<PortalScreenGrabber>(
            ScreenshotPortal(std::chrono::milliseconds(1000)), mXServer);
    }

    void cleanupTestCase() {
        mGrabber.reset();
        for (QProcess* process : {&mPortal, &mBus}) {
            process->kill();
            process->waitForFinished(5000);
        }
    }

    void answers_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("message"); // a part of it; empty: the picture comes back
        QTest::newRow("picture") << "picture"
                                 << "desktop.png"
                                 << "";
        // Under a .png name, as a portal that writes another format would leave it.
        QTest::newRow("picture in another format") << "picture"
                                                   << "desktop.bmp"
                                                   << "";
        QTest::newRow("answer before the call's reply") << "early"
                                                        << "desktop.png"
                                                        << "";
        QTest::newRow("cancelled") << "cancel"
                                   << ""
                                   << "The desktop did not allow the screenshot (it was cancelled";
        QTest::newRow("other failure")
            << "fail"
            << ""
            << "could not take the screenshot (it answered with failure 2); nothing was captured.";
        QTest::newRow("no answer") << "silent"
                                   << ""
                                   << "did not answer within 1 second; nothing was captured.";
        QTest::newRow("damaged picture") << "picture"
                                         << "damaged.png"
                                         << "could not be read";
        QTest::newRow("all black") << "picture"
                                   << "black.png"
                                   << "came back all black";
    }

    void answers() {
        QFETCH(QString, answer);
        QFETCH(QString, source);
        QFETCH(QString, message);
        const QString written = Path(QStringLiteral("Screenshot.png"));
        SetAnswer(answer, source.isEmpty() ? QString() : Path(source), written);

        ScreenGrab grab;
        const QString error = Grab(grab);
        if (message.isEmpty()) {
            QCOMPARE(error, QString());
            QCOMPARE(ImageOf(grab.pixels), mDesktop);
            QCOMPARE(grab.geometry, QGuiApplication::primaryScreen()->virtualGeometry());
            QCOMPARE(grab.devicePixelRatio, 2.0);
        } else {
            QVERIFY2(error.contains(message), qPrintable(error));
        }
        QVERIFY2(!QFile::exists(written), "the portal's temporary picture was left behind");
        QCOMPARE(mXServer.grabs, 0);

        const QStringList calls = Calls();
        QVERIFY(!calls.isEmpty());
        const QRegularExpression call(QStringLiteral(
            "^Screenshot parent= token=(\\w+) interactive=false sender=(:[\\d.]+)$"));
        const QRegularExpressionMatch match = call.match(calls.first());
        QVERIFY2(match.hasMatch(), qPrintable(calls.first()));
        // A request left without answer is closed, so the desktop stops asking.
        QStringList expected{calls.first()};
        if (answer == QLatin1String("silent")) {
            QString sender = match.captured(2).mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
            expected << QStringLiteral("Close /org/freedesktop/portal/desktop/request/%1/%2")
                            .arg(sender, match.captured(1));
            QTRY_COMPARE_WITH_TIMEOUT(Calls(), expected, 5000);
        } else {
            QCOMPARE(calls, expected);
        }
    }

    void pictureSavedByTheDesktopIsKept() {
        // Somewhere in the user's files, as a desktop that saves every shot does.
        QDir here = QDir::current();
        QVERIFY(here.mkpath(QStringLiteral("portal-saved")));
        const QString saved = here.absoluteFilePath(QStringLiteral("portal-saved/Screenshot.png"));
        if (saved.startsWith(QDir::tempPath() + QLatin1Char('/')) ||
            saved.startsWith(QStringLiteral("/tmp/"))) {
            QSKIP("the build folder is itself among temporary files");
        }
        SetAnswer(QStringLiteral("picture"), Path(QStringLiteral("desktop.png")), saved);
        ScreenGrab grab;
        QCOMPARE(Grab(grab), QString());
        QCOMPARE(ImageOf(grab.pixels), mDesktop);
        QVERIFY(QFile::exists(saved));
        QVERIFY(QDir(here.absoluteFilePath(QStringLiteral("portal-saved"))).removeRecursively());
    }

    // Without a portal the X server is read; XWayland's black is no picture.
    // Last: it stops the stand-in.
    void withoutPortalTheXServerIsReadButBlackFails() {
        const QString noPortal = QStringLiteral("This Wayland desktop offers no screenshot portal");
        for (const char* situation : {"portal without screenshots", "no portal on the bus"}) {
            if (QByteArray(situation) == "no portal on the bus") {
                mPortal.kill();
                mPortal.waitForFinished(5000);
                const QDBusConnection control =
                    QDBusConnection::connectToBus(mAddress, QStringLiteral("control"));
                QTRY_VERIFY_WITH_TIMEOUT(!control.interface()->isServiceRegistered(
                                             QStringLiteral("org.freedesktop.portal.Desktop")),
                                         5000);
            } else {
                SetAnswer(QStringLiteral("absent"));
            }
            mXServer.grabs = 0;
            mXServer.picture = Bitmap(32, 24, PixelFormat::Bit32);
            ScreenGrab grab;
            QVERIFY2(Grab(grab).startsWith(noPortal), situation);
            mXServer.picture.ScanLine(23)[4 * 31] = 9;
            QVERIFY2(Grab(grab).isEmpty(), situation);
            QCOMPARE(grab.pixels.ScanLine(23)[4 * 31], 9);
            QCOMPARE(mXServer.grabs, 2);
        }
    }
};

} // namespace pixmoth

QTEST_MAIN(pixmoth::ScreenshotPortalTest)
#include "ScreenshotPortalTest.moc"
