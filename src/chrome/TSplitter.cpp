#include "chrome/TSplitter.h"

#include <algorithm>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QList>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QStyle>
#include <QStyleOption>
#include <qdrawutil.h>

namespace pixmoth {
namespace {

Rect ToRect(const QRect& r) {
    return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

bool FixedAlong(const QWidget* widget, bool upright) {
    return upright ? widget->minimumWidth() == widget->maximumWidth()
                   : widget->minimumHeight() == widget->maximumHeight();
}

} // namespace

TSplitter::TSplitter(QWidget* parent) : QWidget(parent) {
    setFixedWidth(3);
    setCursor(Qt::SplitHCursor);
    setFocusPolicy(Qt::NoFocus);
}

void TSplitter::SetAlign(TAlign align) {
    if (align == mAlign) {
        return;
    }
    const bool wasUpright = DockedLeftOrRight(mAlign);
    const bool upright = DockedLeftOrRight(align);
    mAlign = align;
    if (upright != wasUpright) {
        const int thickness = wasUpright ? minimumWidth() : minimumHeight();
        if (upright) {
            setMinimumHeight(0);
            setMaximumHeight(QWIDGETSIZE_MAX);
            setFixedWidth(thickness);
        } else {
            setMinimumWidth(0);
            setMaximumWidth(QWIDGETSIZE_MAX);
            setFixedHeight(thickness);
        }
    }
    const Qt::CursorShape shape = cursor().shape();
    if (shape == Qt::SplitHCursor || shape == Qt::SplitVCursor) {
        setCursor(upright ? Qt::SplitHCursor : Qt::SplitVCursor);
    }
    update();
}

void TSplitter::SetMinSize(int size) {
    mMinSize = std::max(size, 0);
}

void TSplitter::SetBeveled(bool beveled) {
    if (beveled != mBeveled) {
        mBeveled = beveled;
        update();
    }
}

QWidget* TSplitter::FindNeighbour() const {
    QWidget* parent = parentWidget();
    SplitPoint probe;
    if (parent == nullptr || !NeighbourProbe(mAlign, ToRect(geometry()), probe)) {
        return nullptr;
    }
    for (QObject* child : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget == nullptr || widget == this || widget == mLine || widget->isWindow() ||
            !widget->isVisibleTo(parent) || !widget->isEnabledTo(parent)) {
            continue;
        }
        if (BoundsHoldProbe(ToRect(widget->geometry()), probe)) {
            return widget;
        }
    }
    return nullptr;
}

int TSplitter::NeighbourSize(const QWidget* neighbour) const {
    return DockedLeftOrRight(mAlign) ? neighbour->width() : neighbour->height();
}

void TSplitter::SettleLayouts() const {
    QList<QWidget*> chain;
    for (QWidget* widget = parentWidget(); widget != nullptr;
         widget = widget->isWindow() ? nullptr : widget->parentWidget()) {
        chain.prepend(widget);
    }
    for (QWidget* widget : chain) {
        if (QLayout* layout = widget->layout()) {
            // A hidden widget gets no resize event when its parent's layout
            // moves it, so its own layout would keep the old geometry.
            if (!widget->isVisible()) {
                layout->invalidate();
            }
            layout->activate();
        }
    }
}

void TSplitter::BeginSizing(QPoint at) {
    StopSizing();
    SettleLayouts();
    QWidget* neighbour = FindNeighbour();
    if (neighbour == nullptr) {
        return;
    }
    const bool upright = DockedLeftOrRight(mAlign);
    QWidget* parent = parentWidget();
    const QRect area = parent->layout() ? parent->layout()->contentsRect() : parent->rect();
    int docked = 0;
    for (QObject* child : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget == nullptr || widget == mLine || widget->isWindow() ||
            !widget->isVisibleTo(parent)) {
            continue;
        }
        if (widget == this || widget == neighbour || FixedAlong(widget, upright)) {
            docked += upright ? widget->width() : widget->height();
        }
    }
    mControl = neighbour;
    mDownPos = at;
    mNewSize = NeighbourSize(neighbour);
    mMaxSize = LargestSplitSize(upright ? area.width() : area.height(), mMinSize, docked, mNewSize);
}

void TSplitter::MoveSizing(QPoint at) {
    if (!Sizing()) {
        return;
    }
    const QPoint moved = at - mDownPos;
    int size = SplitSize(mAlign, NeighbourSize(mControl),
                         DockedLeftOrRight(mAlign) ? moved.x() : moved.y(), mMinSize, mMaxSize);
    bool accept = true;
    emit OnCanResize(this, size, accept);
    if (!accept || !Sizing()) {
        return;
    }
    if (size <= mMinSize && mAutoSnap) {
        size = 0;
    }
    mNewSize = size;
    if (mMouseDrag) {
        ShowLine();
    }
}

void TSplitter::EndSizing() {
    if (!Sizing()) {
        return;
    }
    QWidget* neighbour = mControl;
    const int size = mNewSize;
    StopSizing();
    if (size != NeighbourSize(neighbour)) {
        ResizeNeighbour(neighbour, size);
        update();
        emit OnMoved(this);
    }
}

void TSplitter::StopSizing() {
    mControl = nullptr;
    if (mLine != nullptr) {
        mLine->hide();
    }
    if (mMouseDrag) {
        QCoreApplication::instance()->removeEventFilter(this);
        mMouseDrag = false;
    }
}

void TSplitter::ResizeNeighbour(QWidget* neighbour, int size) {
    size = std::max(size, 0);
    QWidget* parent = parentWidget();
    if (parent->layout() != nullptr) {
        if (DockedLeftOrRight(mAlign)) {
            neighbour->setFixedWidth(size);
        } else {
            neighbour->setFixedHeight(size);
        }
        SettleLayouts();
        return;
    }
    // No layout: the neighbour keeps its far edge and the bar stays against it.
    QRect bounds = neighbour->geometry();
    switch (mAlign) {
    case TAlign::alLeft:
        bounds.setWidth(size);
        neighbour->setGeometry(bounds);
        move(bounds.x() + bounds.width(), y());
        break;
    case TAlign::alRight:
        bounds.setLeft(bounds.left() + bounds.width() - size);
        neighbour->setGeometry(bounds);
        move(bounds.x() - width(), y());
        break;
    case TAlign::alTop:
        bounds.setHeight(size);
        neighbour->setGeometry(bounds);
        move(x(), bounds.y() + bounds.height());
        break;
    case TAlign::alBottom:
        bounds.setTop(bounds.top() + bounds.height() - size);
        neighbour->setGeometry(bounds);
        move(x(), bounds.y() - height());
        break;
    default:
        break;
    }
}

// The line stands where the bar will be once the proposed size is set.
void TSplitter::ShowLine() {
    if (mLine == nullptr) {
        mLine = new QRubberBand(QRubberBand::Line, parentWidget());
    }
    const int offset = SplitMovement(mAlign, NeighbourSize(mControl), mNewSize);
    const bool upright = DockedLeftOrRight(mAlign);
    mLine->setGeometry(geometry().translated(upright ? offset : 0, upright ? 0 : offset));
    mLine->show();
    mLine->raise();
}

void TSplitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    BeginSizing(event->position().toPoint());
    if (Sizing()) {
        // Esc cancels wherever the keyboard focus is.
        mMouseDrag = true;
        QCoreApplication::instance()->installEventFilter(this);
        ShowLine();
    }
}

void TSplitter::mouseMoveEvent(QMouseEvent* event) {
    if ((event->buttons() & Qt::LeftButton) && Sizing()) {
        MoveSizing(event->position().toPoint());
    }
}

void TSplitter::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        EndSizing();
    }
}

bool TSplitter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && Sizing() &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        StopSizing();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TSplitter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    QStyleOption option;
    option.initFrom(this);
    if (DockedLeftOrRight(mAlign)) {
        option.state |= QStyle::State_Horizontal;
    }
    style()->drawControl(QStyle::CE_Splitter, &option, &painter, this);
    if (mBeveled) {
        qDrawShadePanel(&painter, rect(), palette(), false, 1);
    }
}

} // namespace pixmoth
