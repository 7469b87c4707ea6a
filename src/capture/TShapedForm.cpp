#include "capture/TShapedForm.h"

#include <QMouseEvent>
#include <QPainter>

#include "capture/RegionData.h"
#include "imaging/bitmap/Error.h"

namespace pixmoth {

TShapedForm::TShapedForm(QWidget* form) : QWidget(form) {
    setObjectName(QStringLiteral("ShapedForm"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (form != nullptr) {
        if (form->isWindow()) {
            form->setWindowFlag(Qt::FramelessWindowHint, true);
        }
        form->installEventFilter(this);
        setGeometry(form->rect());
    }
}

void TShapedForm::SetPicture(const QPixmap& picture) {
    mPicture = picture;
    mRects.clear();
    update();
}

void TShapedForm::ReadMask2(const std::uint8_t* data, std::size_t size) {
    try {
        mRects = pixmoth::ReadMask2(data, size);
    } catch (const Error&) {
        // As a window system refusing the region: the form stays rectangular.
        mRects.clear();
    }
    if (!mRects.empty() && parentWidget() != nullptr) {
        parentWidget()->setMask(Shape());
    }
}

std::vector<std::uint8_t> TShapedForm::WriteMask2() const {
    return pixmoth::WriteMask2(mRects);
}

QRegion TShapedForm::ShapeOf(const std::vector<Rect>& rects) {
    QRegion shape;
    for (const Rect& r : rects) {
        if (r.right > r.left && r.bottom > r.top) {
            shape += QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
        }
    }
    return shape;
}

bool TShapedForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
    }
    return QWidget::eventFilter(watched, event);
}

void TShapedForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.drawPixmap(0, 0, mPicture);
}

void TShapedForm::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    // Moved by hand rather than through the window manager's move: it works
    // the same with or without one, and over X11 as over XWayland.
    mMoving = true;
    mGrabOffset = event->globalPosition().toPoint() - window()->pos();
}

void TShapedForm::mouseMoveEvent(QMouseEvent* event) {
    if (mMoving && (event->buttons() & Qt::LeftButton)) {
        window()->move(event->globalPosition().toPoint() - mGrabOffset);
    }
}

void TShapedForm::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        mMoving = false;
    }
}

} // namespace pixmoth
