#include "capture/FrozenScreenView.h"

#include <algorithm>
#include <cmath>

#include <QPaintEvent>
#include <QPainter>

#include "document/Selection.h"

namespace pixmoth {

FrozenScreenView::FrozenScreenView(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    // The picture covers every pixel: nothing to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void FrozenScreenView::Freeze(ScreenGrab grab) {
    mScreen = std::move(grab.pixels);
    mShown = mScreen;
    mRatio = grab.devicePixelRatio > 0 ? grab.devicePixelRatio : 1.0;
    mImage = QImage(mShown.Bits(), mShown.Width(), mShown.Height(), mShown.Stride(),
                    QImage::Format_RGB32);
    mImage.setDevicePixelRatio(mRatio);
    mDesktopOrigin = grab.geometry.topLeft();
    setGeometry(grab.geometry);
    update();
}

void FrozenScreenView::ToggleFrame(const Rect& rect, PenStyle style) {
    const Rect r = NormalizeRect(rect);
    if (r.right == r.left || r.bottom == r.top || mShown.Empty()) {
        return;
    }
    InvertOutline(mShown, r, style);
    // Repaint the four sides only: a band moved with the mouse must not redraw
    // the whole desktop each time.
    const auto side = [this](qint64 left, qint64 top, qint64 right, qint64 bottom) {
        // Clipped first: a rectangle from a file may lie far off the picture.
        const qreal x0 = std::clamp<qint64>(left, 0, mShown.Width()) / mRatio;
        const qreal y0 = std::clamp<qint64>(top, 0, mShown.Height()) / mRatio;
        const qreal x1 = std::clamp<qint64>(right, 0, mShown.Width()) / mRatio;
        const qreal y1 = std::clamp<qint64>(bottom, 0, mShown.Height()) / mRatio;
        return QRectF(x0, y0, x1 - x0, y1 - y0).toAlignedRect().translated(-Offset());
    };
    QRegion dirty;
    dirty += side(r.left, r.top, r.right, qint64{r.top} + 1);
    dirty += side(r.left, qint64{r.bottom} - 1, r.right, r.bottom);
    dirty += side(r.left, r.top, qint64{r.left} + 1, r.bottom);
    dirty += side(qint64{r.right} - 1, r.top, r.right, r.bottom);
    update(dirty);
}

QPoint FrozenScreenView::Offset() const {
    return mapToGlobal(QPoint(0, 0)) - mDesktopOrigin;
}

QPoint FrozenScreenView::DevicePoint(QPointF position) const {
    const QPointF desktop = position + Offset();
    return {static_cast<int>(std::floor(desktop.x() * mRatio)),
            static_cast<int>(std::floor(desktop.y() * mRatio))};
}

void FrozenScreenView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (mImage.isNull()) {
        painter.fillRect(event->rect(), Qt::black);
        return;
    }
    const QRect target = event->rect();
    const QPoint at = target.topLeft() + Offset();
    const QRectF source(at.x() * mRatio, at.y() * mRatio, target.width() * mRatio,
                        target.height() * mRatio);
    if (!QRectF(mImage.rect()).contains(source)) {
        painter.fillRect(target, Qt::black); // beyond the desktop
    }
    painter.drawImage(QRectF(target), mImage, source);
}

} // namespace pixmoth
