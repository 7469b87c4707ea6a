#include "imaging/dialogs/BackgroundJob.h"

#include <exception>
#include <new>

#include <QCoreApplication>
#include <QProgressDialog>
#include <QThreadPool>
#include <QTimer>
#include <QWidget>

#include "platform/Interaction.h"

namespace pixmoth {

namespace {

// One thread: the random generator of the noise effects is program-wide.
QThreadPool& Worker() {
    // Owned by the application, whose end waits for an abandoned run to finish.
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool(QCoreApplication::instance());
        p->setMaxThreadCount(1);
        return p;
    }();
    return *pool;
}

QString Describe(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Not enough memory for this picture.");
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

} // namespace

BackgroundJob::BackgroundJob(QWidget* owner) : QObject(owner), mOwner(owner) {}

BackgroundJob::~BackgroundJob() {
    Cancel();
}

void BackgroundJob::Start(const QString& label, std::function<void()> work,
                          std::function<void()> done) {
    Cancel();
    const unsigned run = mNextRun++;
    mRun = run;
    mDone = std::move(done);
    // The finish is posted to this object; a deleted job receives nothing.
    QPointer<BackgroundJob> self(this);
    Worker().start([self, run, work = std::move(work)] {
        QString error;
        try {
            work();
        } catch (...) {
            error = Describe(std::current_exception());
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, run, error] {
                if (self) {
                    self->Finish(run, error);
                }
            },
            Qt::QueuedConnection);
    });
    QTimer::singleShot(ShowAfterMs, this, [this, run, label] {
        if (mRun != run || mProgress) {
            return;
        }
        mProgress = new QProgressDialog(label, QStringLiteral("Cancel"), 0, 0, mOwner);
        mProgress->setWindowTitle(mOwner->windowTitle());
        mProgress->setWindowModality(Qt::WindowModal);
        mProgress->setMinimumDuration(0);
        mProgress->setAutoReset(false);
        mProgress->setAutoClose(false);
        connect(mProgress, &QProgressDialog::canceled, this, &BackgroundJob::Cancel);
        mProgress->show();
    });
}

void BackgroundJob::Finish(unsigned run, const QString& error) {
    if (run != mRun) {
        return; // abandoned
    }
    mRun = 0;
    CloseProgress();
    const std::function<void()> done = std::move(mDone);
    mDone = nullptr;
    if (error.isEmpty()) {
        if (done) {
            done();
        }
    } else {
        ShowErrorMessage(error);
    }
}

void BackgroundJob::Cancel() {
    if (mRun == 0) {
        return;
    }
    mRun = 0;
    mDone = nullptr;
    CloseProgress();
}

void BackgroundJob::CloseProgress() {
    if (mProgress) {
        // Not deleted from inside its own Cancel signal.
        mProgress->hide();
        mProgress->deleteLater();
        mProgress = nullptr;
    }
}

void BackgroundJob::WaitForIdle() {
    Worker().waitForDone();
}

} // namespace pixmoth
