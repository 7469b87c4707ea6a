#include "capture/TEraseF.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

#include "app/TForm1.h"
#include "capture/TStartF.h"
#include "capture/TakeShot.h"
#include "capture/WaylandCapture.h"
#include "document/Selection.h"
#include "platform/Environment.h"
#include "platform/Interaction.h"
#include "platform/Paths.h"
#include "platform/QtPaths.h"

namespace pixmoth {

TEraseF::TEraseF(TStartF* panel, TForm1* mainForm) : mPanel(panel), mMainForm(mainForm) {
    setObjectName(QStringLiteral("EraseF"));
    setWindowTitle(QStringLiteral("Pixmoth capture"));
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // The main window is hidden while the overlay is up: closing the overlay
    // must not end the program, only the main window's close may.
    setAttribute(Qt::WA_QuitOnClose, false);
}

void TEraseF::Prepare() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        setGeometry(screen->virtualGeometry());
    }
    winId();
}

void TEraseF::ShowOverlay() {
    Freeze(CurrentScreenGrabber().GrabDesktop());
    // A Wayland compositor manages XWayland's windows as its own: only a full
    // screen window is placed over everything without a frame (a tiling one
    // would tile the overlay beside other windows).
    if (IsWaylandSession(CurrentEnvironment())) {
        showFullScreen();
    } else {
        show();
    }
    raise();
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
    FormActivate();
}

void TEraseF::FormActivate() {
    if (mSingleShoot) {
        mDrawnRect = {};
        return;
    }
    mSelectRect = mKeptRect;
    ShowBand(mSelectRect, PenStyle::Dashed);
}

void TEraseF::FormDeactivate() {
    if (mPanel != nullptr) {
        mPanel->SetKeptRect(mKeptRect);
    }
}

void TEraseF::ShowBand(const Rect& rect, PenStyle style) {
    if (mBandShown && mBand == rect && mBandStyle == style) {
        return;
    }
    HideBand();
    ToggleFrame(rect, style);
    mBandShown = true;
    mBand = rect;
    mBandStyle = style;
}

void TEraseF::HideBand() {
    if (mBandShown) {
        ToggleFrame(mBand, mBandStyle);
        mBandShown = false;
    }
}

void TEraseF::mousePressEvent(QMouseEvent* event) {
    FormMouseDown(DevicePoint(event->position()));
}

void TEraseF::mouseMoveEvent(QMouseEvent* event) {
    FormMouseMove(DevicePoint(event->position()));
}

void TEraseF::mouseReleaseEvent(QMouseEvent* event) {
    FormMouseUp(DevicePoint(event->position()));
}

void TEraseF::FormMouseDown(QPoint at) {
    // Start mode forgets the old rectangle; Multi picture mode only takes the
    // kept one off the screen, and a new drag replaces it.
    HideBand();
    if (mSingleShoot) {
        mSelectRect = mDrawnRect = mKeptRect = {};
    }
    mDragging = true;
    mPressPoint = mAnchor = mLastPoint = at;
}

void TEraseF::FormMouseMove(QPoint at) {
    if (mDragging) {
        const Rect band{mAnchor.x(), mAnchor.y(), at.x(), at.y()};
        ShowBand(band, PenStyle::Dotted);
        mSelectRect = mDrawnRect = mKeptRect = band;
    }
    mLastPoint = at;
}

void TEraseF::FormMouseUp(QPoint at) {
    mReleasePoint = at;
    // A click, or a drag along a straight line, clears the selection.
    if (mReleasePoint.x() == mPressPoint.x() || mReleasePoint.y() == mPressPoint.y()) {
        mDrawnRect = mSelectRect = mKeptRect = {};
        HideBand();
    }
    mDragging = false;
}

void TEraseF::keyPressEvent(QKeyEvent* event) {
    setCursor(Qt::CrossCursor);
    const int key = event->key();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        ShootKey(key - Qt::Key_F1 + 1);
        return;
    }
    if (event->text() == QStringLiteral("q")) {
        Leave(0);
    }
}

void TEraseF::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && !event->isAutoRepeat()) {
        Leave(0);
    }
}

void TEraseF::ShootKey(int series) {
    QString path;
    try {
        path = FromNative(TakeShot(Screen(), series, NormalizeRect(mSelectRect), ShotsDirectory()));
    } catch (const std::exception& error) {
        // Nothing was written: the overlay stays with its selection.
        ShowErrorMessage(QString::fromUtf8(error.what()));
        return;
    }
    if (mMainForm != nullptr) {
        mMainForm->SetLastShotFile(path);
        mMainForm->SetPictureDir(FromNative(DirectoryPart(ToNative(path))));
    }
    if (mSingleShoot) {
        HideBand();
        mDrawnRect = {};
    }
    mLastShotName = path;

    FormDeactivate();
    const QString name = FromNative(FileNamePart(ToNative(path)));
    const bool another = CurrentInteraction().Ask(
        Interaction::Kind::Information,
        QStringLiteral("Screenshot ") + name + QStringLiteral(" done ! ") + QStringLiteral("\n\r") +
            QStringLiteral("Do you want to make another screen shoot?"));
    if (!another || mLeft) {
        Leave(50);
        return;
    }
    setCursor(Qt::CrossCursor);
    activateWindow();
    FormActivate();
}

void TEraseF::closeEvent(QCloseEvent* event) {
    event->ignore();
    Leave(0);
}

void TEraseF::Leave(int delayMs) {
    if (mLeft) {
        return;
    }
    mLeft = true;
    FormDeactivate();
    hide();
    if (mPanel != nullptr) {
        mPanel->ShowPanel(delayMs);
    }
    deleteLater();
}

} // namespace pixmoth
