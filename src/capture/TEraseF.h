#pragma once

#include <QPoint>
#include <QPointer>
#include <QString>

#include "capture/FrozenScreenView.h"

namespace pixmoth {

class TForm1;
class TStartF;

// The capture overlay: the frozen desktop over all monitors, on which the user
// drags a rectangle and presses F1..F12 to store its inside as
// Shots/SShot<n>_<k>.jpg. "q" or Esc (on release), or No to the question after
// a shot, bring the panel back. A new overlay is made for every capture run.
//
// Start mode (`SingleShoot` true) begins with nothing selected; Multi picture
// mode shows the panel's kept rectangle dashed at once, ready to be shot.
//
// At most one band is drawn at a time, and shots read the desktop as grabbed,
// so no outline ever ends up inside a stored picture.
class TEraseF : public FrozenScreenView {
    Q_OBJECT

public:
    TEraseF(TStartF* panel, TForm1* mainForm);

    bool SingleShoot() const { return mSingleShoot; }
    void SetSingleShoot(bool singleShoot) { mSingleShoot = singleShoot; }
    const Rect& KeptRect() const { return mKeptRect; }
    void SetKeptRect(const Rect& rect) { mKeptRect = rect; }
    const Rect& SelectRect() const { return mSelectRect; }
    const QString& LastShotName() const { return mLastShotName; }

    // Makes the (hidden) window over the desktop ahead of ShowOverlay.
    void Prepare();
    // Grabs the desktop, then covers it with the still picture and takes the
    // keyboard. Throws when the screen cannot be read (nothing is shown then).
    void ShowOverlay();

    void FormActivate();
    void FormDeactivate();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // A window manager's close (Alt+F4) leaves capture mode as Esc does.
    void closeEvent(QCloseEvent* event) override;

private:
    void FormMouseDown(QPoint at);
    void FormMouseMove(QPoint at);
    void FormMouseUp(QPoint at);
    void ShootKey(int series);
    // Hides the overlay and brings the panel back after `delayMs`.
    void Leave(int delayMs);
    void ShowBand(const Rect& rect, PenStyle style);
    void HideBand();

    QPointer<TStartF> mPanel;
    QPointer<TForm1> mMainForm;
    bool mSingleShoot = false;
    bool mDragging = false;
    QPoint mAnchor;
    QPoint mPressPoint;
    QPoint mReleasePoint;
    QPoint mLastPoint;
    Rect mDrawnRect;
    Rect mSelectRect;
    Rect mKeptRect;
    QString mLastShotName;
    // Capture mode has ended for this overlay; it waits for deletion.
    bool mLeft = false;

    // The band on the screen now, if any.
    bool mBandShown = false;
    Rect mBand;
    PenStyle mBandStyle = PenStyle::Dotted;
};

} // namespace pixmoth
