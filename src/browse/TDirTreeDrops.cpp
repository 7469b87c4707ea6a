// TDirTree as a drop target for files.
#include "browse/TDirTree.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

#include "platform/QtPaths.h"

namespace pixmoth {

namespace {

// How long a drag must rest on a collapsed folder before it opens.
constexpr int kDropExpandMs = 700;

// The local files among the dragged URLs, in their order.
QStringList LocalFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr || !data->hasUrls()) {
        return files;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            files << url.toLocalFile();
        }
    }
    return files;
}

// The files are moved, so a move is what the drag shows where the source allows it.
void AcceptAsMove(QDropEvent* event) {
    if ((event->possibleActions() & Qt::MoveAction) != 0) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->acceptProposedAction();
    }
}

} // namespace

void TDirTree::SetAcceptDropFiles(bool accept) {
    if (accept == mAcceptDropFiles) {
        return;
    }
    mAcceptDropFiles = accept;
    setAcceptDrops(accept);
    viewport()->setAcceptDrops(accept);
}

TDirTreeNode* TDirTree::DropTargetAt(const QPoint& point) const {
    TDirTreeNode* node = TDirTreeNode::Cast(itemAt(point));
    return node != nullptr && !node->IsPlaceholder() ? node : nullptr;
}

void TDirTree::SetDropHighlight(TDirTreeNode* node) {
    if (node == mDropHighlight) {
        return;
    }
    mDropHighlight = node;
    viewport()->update();
    if (node != nullptr && node->childCount() > 0 && !node->isExpanded()) {
        mDropExpand.start(kDropExpandMs);
    } else {
        mDropExpand.stop();
    }
}

void TDirTree::dragEnterEvent(QDragEnterEvent* event) {
    if (!mAcceptDropFiles || LocalFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    setState(DraggingState); // lets the view scroll while the drag rests at an edge
    AcceptAsMove(event);
}

void TDirTree::dragMoveEvent(QDragMoveEvent* event) {
    QTreeWidget::dragMoveEvent(event); // scrolls at the edges; refuses what is not an item
    TDirTreeNode* node = mAcceptDropFiles && !LocalFiles(event->mimeData()).isEmpty()
                             ? DropTargetAt(event->position().toPoint())
                             : nullptr;
    SetDropHighlight(node);
    if (node == nullptr) {
        event->ignore();
        return;
    }
    AcceptAsMove(event);
}

void TDirTree::dragLeaveEvent(QDragLeaveEvent* event) {
    SetDropHighlight(nullptr);
    QTreeWidget::dragLeaveEvent(event);
}

void TDirTree::dropEvent(QDropEvent* event) {
    SetDropHighlight(nullptr);
    stopAutoScroll();
    setState(NoState);
    const QPoint point = event->position().toPoint();
    const TDirTreeNode* target =
        mAcceptDropFiles && viewport()->rect().contains(point) ? DropTargetAt(point) : nullptr;
    const QStringList files = LocalFiles(event->mimeData());
    if (target == nullptr || files.isEmpty()) {
        event->ignore();
        return;
    }
    AcceptAsMove(event);
    const QString dropDir = FromNative(target->Entry()->path);
    const Qt::KeyboardModifiers shift =
        event->modifiers() & (Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier);
    // Handed on from the event loop: a drag that started in this program is
    // still running now, and the receiver will move files and list folders.
    QMetaObject::invokeMethod(
        this,
        [this, point, dropDir, files, shift] {
            emit OnDropFiles(this, point.x(), point.y(), dropDir, files, shift);
        },
        Qt::QueuedConnection);
}

void TDirTree::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                       const QModelIndex& index) const {
    QTreeWidget::drawRow(painter, option, index);
    if (mDropHighlight != nullptr && itemFromIndex(index) == mDropHighlight) {
        painter->save();
        painter->setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter->drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
        painter->restore();
    }
}

} // namespace pixmoth
