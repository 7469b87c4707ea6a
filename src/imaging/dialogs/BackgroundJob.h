#pragma once

#include <functional>

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>

class QWidget;

namespace pixmoth {

// Runs picture work off the user-interface thread, one piece at a time.
//
// Start hands `work` to a single worker thread shared by all jobs, so work
// that draws from the program's random generator never runs twice at once.
// When the work takes longer than ShowAfterMs, a window-modal progress window
// over the owner names it and offers Cancel. When it ends, `done` runs on the
// user-interface thread; an error the work threw goes to the program's error
// report instead. A cancelled run is abandoned: it may still finish on the
// worker, but nothing of it reaches the owner. The work must own everything it
// touches (copies, shared pointers), as the owner may be gone when it ends.
class BackgroundJob : public QObject {
    Q_OBJECT

public:
    static constexpr int ShowAfterMs = 100;

    explicit BackgroundJob(QWidget* owner);
    ~BackgroundJob() override;

    // Starts one run; a run already going is abandoned first.
    void Start(const QString& label, std::function<void()> work, std::function<void()> done);
    // Abandons the current run, if any.
    void Cancel();
    bool Running() const { return mRun != 0; }
    // The progress window of the current run once it shows, else null.
    QProgressDialog* Progress() const { return mProgress; }

    // Waits until the worker has nothing left to do, abandoned runs included.
    // For orderly ends (tests, program exit); the user-interface never waits.
    static void WaitForIdle();

private:
    void Finish(unsigned run, const QString& error);
    void CloseProgress();

    QWidget* mOwner;
    unsigned mRun = 0; // 0 while idle
    unsigned mNextRun = 1;
    std::function<void()> mDone;
    QPointer<QProgressDialog> mProgress;
};

} // namespace pixmoth
