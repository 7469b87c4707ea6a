#pragma once

#include <QImage>
#include <QWidget>

#include "capture/RubberBand.h"
#include "capture/ScreenGrabber.h"

namespace pixmoth {

// A frameless window over the whole desktop showing a still picture of it, with
// outlines drawn by exact inversion of the picture's pixels. It keeps the
// picture as grabbed apart from what is shown, so what is stored from it never
// holds an outline. Coordinates are device pixels of the desktop.
//
// Each pixel shows the desktop pixel under it wherever the window manager put
// the window (a tiling one may not give the whole desktop), so what the user
// points at is what is stored.
class FrozenScreenView : public QWidget {
    Q_OBJECT

public:
    explicit FrozenScreenView(QWidget* parent = nullptr);

    // Takes the picture and covers the desktop's geometry with it (not shown yet).
    void Freeze(ScreenGrab grab);
    // The desktop as grabbed, without outlines.
    const Bitmap& Screen() const { return mScreen; }
    // What the window shows.
    const Bitmap& Shown() const { return mShown; }

    // Draws the outline of `rect` (device pixels, corners in any order), or
    // removes it when it is drawn the same way a second time.
    void ToggleFrame(const Rect& rect, PenStyle style);

    // The device pixel under a position in the window.
    QPoint DevicePoint(QPointF position) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Where the window's top-left corner lies on the desktop picture, in the
    // widgets' coordinates.
    QPoint Offset() const;

    Bitmap mScreen;
    Bitmap mShown;
    QImage mImage; // over mShown's pixels
    qreal mRatio = 1.0;
    QPoint mDesktopOrigin;
};

} // namespace pixmoth
