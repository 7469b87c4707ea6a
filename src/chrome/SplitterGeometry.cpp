#include "chrome/SplitterGeometry.h"

#include <cstdlib>

namespace pixmoth {

bool NeighbourProbe(TAlign align, const Rect& bar, SplitPoint& probe) {
    probe = {bar.left, bar.top};
    switch (align) {
    case TAlign::alTop:
        probe.y -= 1;
        return true;
    case TAlign::alBottom:
        probe.y += bar.Height();
        return true;
    case TAlign::alLeft:
        probe.x -= 1;
        return true;
    case TAlign::alRight:
        probe.x += bar.Width();
        return true;
    default:
        return false;
    }
}

bool BoundsHoldProbe(Rect bounds, SplitPoint probe) {
    if (bounds.Width() == 0) {
        bounds.left -= 1;
        bounds.right += 1;
    }
    if (bounds.Height() == 0) {
        bounds.top -= 1;
        bounds.bottom += 1;
    }
    return probe.x >= bounds.left && probe.x < bounds.right && probe.y >= bounds.top &&
           probe.y < bounds.bottom;
}

int LargestSplitSize(int parentLength, int minSize, int dockedLength, int neighbourSize) {
    return parentLength - minSize - dockedLength + neighbourSize;
}

int SplitSize(TAlign align, int neighbourSize, int movement, int minSize, int maxSize) {
    const int size = (align == TAlign::alRight || align == TAlign::alBottom)
                         ? neighbourSize - movement
                         : neighbourSize + movement;
    if (size < minSize) {
        return minSize;
    }
    return size > maxSize ? maxSize : size;
}

int SplitMovement(TAlign align, int size, int target) {
    return (align == TAlign::alRight || align == TAlign::alBottom) ? size - target : target - size;
}

bool IsButtonClick(TAlign align, SplitPoint press, SplitPoint release) {
    const int across = DockedLeftOrRight(align) ? release.x - press.x : release.y - press.y;
    return std::abs(across) <= kButtonClickSlop;
}

} // namespace pixmoth
