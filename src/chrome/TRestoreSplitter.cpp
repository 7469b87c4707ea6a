#include "chrome/TRestoreSplitter.h"

#include <algorithm>

#include <QCursor>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

namespace pixmoth {
namespace {

PaletteEntry ToEntry(const QColor& color) {
    return {static_cast<std::uint8_t>(color.blue()), static_cast<std::uint8_t>(color.green()),
            static_cast<std::uint8_t>(color.red())};
}

SplitPoint ToSplitPoint(QPoint point) {
    return {point.x(), point.y()};
}

} // namespace

TRestoreSplitter::TRestoreSplitter(QWidget* parent)
    : TSplitter(parent), mButtonColor(palette().color(QPalette::Button)) {
    setFixedWidth(10);
    setMouseTracking(true);
}

void TRestoreSplitter::SetAllowDrag(bool allow) {
    if (allow == mAllowDrag) {
        return;
    }
    mAllowDrag = allow;
    ButtonHitTest(mapFromGlobal(QCursor::pos()));
}

void TRestoreSplitter::SetButtonWidthType(TButtonWidthType type) {
    if (type == mButtonWidthType) {
        return;
    }
    mButtonWidthType = type;
    if (type == TButtonWidthType::btwPercentage) {
        mButtonWidth = std::min(mButtonWidth, 100);
    }
    if (mShowButton) {
        update();
    }
}

void TRestoreSplitter::SetButtonWidth(int width) {
    width = std::max(width, 0);
    if (mButtonWidthType == TButtonWidthType::btwPercentage) {
        width = std::min(width, 100);
    }
    if (width == mButtonWidth) {
        return;
    }
    mButtonWidth = width;
    if (mShowButton) {
        update();
    }
}

void TRestoreSplitter::SetShowButton(bool show) {
    if (show != mShowButton) {
        mShowButton = show;
        update();
    }
}

void TRestoreSplitter::SetColor(QColor& member, const QColor& color) {
    if (color != member) {
        member = color;
        update();
    }
}

void TRestoreSplitter::SetAutoHighlightColor(bool automatic) {
    if (automatic == mAutoHighlightColor) {
        return;
    }
    mAutoHighlightColor = automatic;
    if (!automatic) {
        mButtonHighlightColor = QColor(207, 207, 255);
    }
    update();
}

QRect TRestoreSplitter::ButtonRect() const {
    if (!mShowButton || !isEnabled()) {
        return {};
    }
    const Rect r =
        LayoutButton(Align(), width(), height(), mButtonWidth, mButtonWidthType, Beveled());
    if (r.Width() <= 0 || r.Height() <= 0) {
        return {};
    }
    return QRect(r.left, r.top, r.Width(), r.Height());
}

// Also shows over the button that it is a button, not a place to drag.
bool TRestoreSplitter::ButtonHitTest(QPoint at) {
    const QRect button = ButtonRect();
    const bool upright = DockedLeftOrRight(Align());
    const bool overButton =
        !button.isEmpty() && (upright ? at.y() >= button.top() && at.y() <= button.bottom() + 1
                                      : at.x() >= button.left() && at.x() <= button.right() + 1);
    const Qt::CursorShape shape = !mAllowDrag || overButton
                                      ? Qt::ArrowCursor
                                      : (upright ? Qt::SplitHCursor : Qt::SplitVCursor);
    if (cursor().shape() != shape) {
        setCursor(shape);
    }
    return button.contains(at);
}

void TRestoreSplitter::DrawButton(bool hot) {
    if (ButtonRect().isEmpty()) {
        return;
    }
    mHot = hot;
    update(ButtonRect());
}

void TRestoreSplitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled()) {
        mPressed = ButtonHitTest(event->position().toPoint());
        if (mPressed) {
            mPressPos = event->globalPosition().toPoint();
        }
    }
    // Without dragging the press is still taken, so the release comes here.
    if (mAllowDrag) {
        TSplitter::mousePressEvent(event);
    }
}

void TRestoreSplitter::mouseMoveEvent(QMouseEvent* event) {
    if (!mAllowDrag) {
        return;
    }
    TSplitter::mouseMoveEvent(event);
    const bool hot = ButtonHitTest(event->position().toPoint());
    if (hot != mHot) {
        DrawButton(hot);
    }
}

void TRestoreSplitter::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const QPoint screenAt = event->globalPosition().toPoint();
    TSplitter::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (mPressed) {
        mPressed = false;
        if (ButtonHitTest(at) &&
            IsButtonClick(Align(), ToSplitPoint(mPressPos), ToSplitPoint(screenAt))) {
            StopSizing();
            SetMaximized(!mMaximized);
        }
    } else if (mAllowDrag) {
        // A drag by hand: collapsing or widening the neighbour counts as
        // maximizing or restoring.
        QWidget* neighbour = FindNeighbour();
        if (neighbour == nullptr) {
            return;
        }
        const bool wasMaximized = mMaximized;
        if (DockedToSide(Align())) {
            mMaximized = NeighbourSize(neighbour) <= MinSize();
        }
        if (mMaximized) {
            SetNeighbourSize(MinSize());
            if (!wasMaximized) {
                emit OnMaximize(this);
            }
        } else {
            mRestoreSize = NeighbourSize(neighbour);
            if (wasMaximized) {
                emit OnRestore(this);
            }
        }
    }
    update();
}

void TRestoreSplitter::enterEvent(QEnterEvent* event) {
    TSplitter::enterEvent(event);
    const bool hot = ButtonHitTest(event->position().toPoint());
    if (hot != mHot) {
        DrawButton(hot);
    }
}

void TRestoreSplitter::leaveEvent(QEvent* event) {
    TSplitter::leaveEvent(event);
    if (mHot) {
        DrawButton(false);
    }
    mPressed = false;
}

void TRestoreSplitter::SetMaximized(bool maximized) {
    if (maximized == mMaximized) {
        return;
    }
    SettleLayouts();
    QWidget* neighbour = FindNeighbour();
    if (neighbour == nullptr) {
        return;
    }
    mMaximized = maximized;
    if (maximized) {
        mRestoreSize = NeighbourSize(neighbour);
        SetNeighbourSize(MinSize());
        emit OnMaximize(this);
    } else {
        SetNeighbourSize(mRestoreSize);
        emit OnRestore(this);
    }
}

// A drag from code: the neighbour goes to `size` by the same rules as by hand.
void TRestoreSplitter::SetNeighbourSize(int size) {
    SettleLayouts();
    QWidget* neighbour = FindNeighbour();
    if (neighbour == nullptr) {
        return;
    }
    const int movement = SplitMovement(Align(), NeighbourSize(neighbour), size);
    const bool upright = DockedLeftOrRight(Align());
    BeginSizing(QPoint(0, 0));
    MoveSizing(upright ? QPoint(movement, 0) : QPoint(0, movement));
    EndSizing();
    repaint();
}

void TRestoreSplitter::LearnRestoreSize() {
    if (mRestoreSize == -1) {
        if (QWidget* neighbour = FindNeighbour()) {
            mRestoreSize = NeighbourSize(neighbour);
        }
    }
}

void TRestoreSplitter::paintEvent(QPaintEvent* event) {
    TSplitter::paintEvent(event);
    if (mAutoHighlightColor) {
        const PaletteEntry h = pixmoth::AutoHighlightColor(
            ToEntry(palette().color(QPalette::Active, QPalette::Highlight)),
            ToEntry(palette().color(QPalette::Button)));
        mButtonHighlightColor = QColor(h.red, h.green, h.blue);
    }
    const QRect button = ButtonRect();
    if (button.isEmpty()) {
        return;
    }
    const ButtonColors colors{ToEntry(mHot ? mButtonHighlightColor : mButtonColor),
                              ToEntry(mArrowColor), ToEntry(mTextureColor1),
                              ToEntry(mTextureColor2)};
    const Bitmap face =
        PaintButtonFace(button.width(), button.height(), Align(), mMaximized, colors);
    const QImage image(face.Bits(), face.Width(), face.Height(), face.Stride(),
                       QImage::Format_BGR888);
    QPainter painter(this);
    painter.drawImage(button.topLeft(), image);
}

void TRestoreSplitter::changeEvent(QEvent* event) {
    TSplitter::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        update();
    }
}

void TRestoreSplitter::showEvent(QShowEvent* event) {
    TSplitter::showEvent(event);
    LearnRestoreSize();
}

void TRestoreSplitter::moveEvent(QMoveEvent* event) {
    TSplitter::moveEvent(event);
    LearnRestoreSize();
}

void TRestoreSplitter::resizeEvent(QResizeEvent* event) {
    TSplitter::resizeEvent(event);
    LearnRestoreSize();
}

} // namespace pixmoth
