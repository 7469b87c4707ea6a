#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include "chrome/SplitterGeometry.h"

class QRubberBand;

namespace pixmoth {

// A bar docked to one side of its neighbour that resizes the neighbour when
// dragged. The neighbour is the first shown, enabled sibling just outside the
// docked side (`Align`); a drag shows a line that follows the mouse and sets
// the neighbour's size on release, never below `MinSize` and never so far that
// the siblings docked along the same axis (those of fixed size) no longer fit.
// The neighbour's new size is made fixed, so in a box layout the other
// siblings take up the rest; without a layout it is resized in place, its far
// edge kept for a bar docked right or bottom. Esc cancels a drag.
class TSplitter : public QWidget {
    Q_OBJECT

public:
    explicit TSplitter(QWidget* parent = nullptr);

    // Left and right bars are upright; a change of side keeps the thickness.
    TAlign Align() const { return mAlign; }
    void SetAlign(TAlign align);
    int MinSize() const { return mMinSize; }
    void SetMinSize(int size);
    // A size at or below MinSize becomes 0.
    bool AutoSnap() const { return mAutoSnap; }
    void SetAutoSnap(bool snap) { mAutoSnap = snap; }
    bool Beveled() const { return mBeveled; }
    void SetBeveled(bool beveled);

    QWidget* FindNeighbour() const;
    // The neighbour's extent across the bar.
    int NeighbourSize(const QWidget* neighbour) const;

signals:
    // Asked for every size a drag proposes; the handler may change the size
    // or refuse it.
    void OnCanResize(QObject* Sender, int& NewSize, bool& Accept);
    // The neighbour was given a new size.
    void OnMoved(QObject* Sender);

protected:
    // The drag, in client coordinates, also run without a mouse to resize the
    // neighbour from code.
    void BeginSizing(QPoint at);
    void MoveSizing(QPoint at);
    void EndSizing();
    void StopSizing();
    bool Sizing() const { return !mControl.isNull(); }
    // Lays out now what the layouts from the window down to the parent would
    // lay out later, so the neighbour and the bar stand where they will be
    // shown, even before the window is.
    void SettleLayouts() const;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ResizeNeighbour(QWidget* neighbour, int size);
    void ShowLine();

    TAlign mAlign = TAlign::alLeft;
    int mMinSize = 30;
    bool mAutoSnap = true;
    bool mBeveled = false;

    // While sizing: the neighbour, where the press was, the size limit and the
    // size the release will set.
    QPointer<QWidget> mControl;
    QPoint mDownPos;
    int mMaxSize = 0;
    int mNewSize = 0;
    bool mMouseDrag = false;
    QRubberBand* mLine = nullptr;
};

} // namespace pixmoth
