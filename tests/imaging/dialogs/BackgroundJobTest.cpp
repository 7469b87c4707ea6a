#include <future>
#include <memory>

#include <QProgressDialog>
#include <QPushButton>
#include <QWidget>

#include "app/WidgetTestSupport.h"
#include "imaging/bitmap/Error.h"
#include "imaging/dialogs/BackgroundJob.h"

namespace pixmoth {

class BackgroundJobTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::ProgramSandbox> mSandbox;
    std::unique_ptr<QWidget> mOwner;

private slots:
    void initTestCase() { test::SilenceOffscreenNoise(); }
    void init() {
        mSandbox = std::make_unique<test::ProgramSandbox>();
        mOwner = std::make_unique<QWidget>();
        mOwner->setWindowTitle(QStringLiteral("Owner"));
        mOwner->show();
    }
    void cleanup() {
        BackgroundJob::WaitForIdle();
        mOwner.reset();
        mSandbox.reset();
    }

    void longWorkShowsProgressAndCancelDropsTheResult() {
        BackgroundJob job(mOwner.get());
        std::promise<void> release;
        bool done = false;
        job.Start(
            QStringLiteral("Working..."), [wait = release.get_future().share()] { wait.wait(); },
            [&] { done = true; });
        QVERIFY(job.Running());
        QVERIFY(job.Progress() == nullptr); // not before ShowAfterMs
        QTRY_VERIFY(job.Progress() != nullptr && job.Progress()->isVisible());
        QCOMPARE(job.Progress()->labelText(), QStringLiteral("Working..."));
        QCOMPARE(job.Progress()->windowModality(), Qt::WindowModal);
        QTest::mouseClick(job.Progress()->findChild<QPushButton*>(), Qt::LeftButton);
        QVERIFY(!job.Running());
        QVERIFY(job.Progress() == nullptr);
        release.set_value();
        BackgroundJob::WaitForIdle();
        QCoreApplication::processEvents();
        QVERIFY(!done);
    }

    void quickWorkEndsWithoutProgressAndErrorsAreReported() {
        BackgroundJob job(mOwner.get());
        int done = 0;
        job.Start(
            QStringLiteral("Quick"), [] {}, [&] { ++done; });
        QTRY_VERIFY(!job.Running());
        QCOMPARE(done, 1);
        QVERIFY(job.Progress() == nullptr);
        job.Start(
            QStringLiteral("Failing"), [] { throw Error("Scan line index out of range"); },
            [&] { ++done; });
        QTRY_VERIFY(!job.Running());
        QCOMPARE(done, 1);
        QCOMPARE(mSandbox->interaction.Texts(QStringLiteral("tell")),
                 QStringList{QStringLiteral("Scan line index out of range")});
    }

    // Runs go one after another, so a later run never overlaps an abandoned one.
    void runsNeverOverlap() {
        BackgroundJob job(mOwner.get());
        std::promise<void> release;
        std::atomic<bool> firstEnded{false};
        bool secondSawFirstEnded = false;
        job.Start(
            QString(),
            [wait = release.get_future().share(), &firstEnded] {
                wait.wait();
                firstEnded = true;
            },
            [] {});
        job.Start(
            QString(), [&] { secondSawFirstEnded = firstEnded; }, [] {});
        release.set_value();
        QTRY_VERIFY(!job.Running());
        QVERIFY(secondSawFirstEnded);
    }
};

} // namespace pixmoth

PIXMOTH_WIDGET_TEST_MAIN(pixmoth::BackgroundJobTest)
#include "BackgroundJobTest.moc"
