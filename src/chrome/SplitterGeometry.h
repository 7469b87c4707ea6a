#pragma once

#include "imaging/bitmap/Bitmap.h"

// The arithmetic of a splitter bar docked to one side of its parent: which
// sibling it resizes, how far a drag may go, and when a press on its button
// counts as a click. Sizes are the neighbour's extent across the bar (width for
// a bar docked left or right, height for top or bottom).
namespace pixmoth {

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// A bar docked left or right stands upright and is dragged sideways.
inline bool DockedLeftOrRight(TAlign align) {
    return align == TAlign::alLeft || align == TAlign::alRight;
}
inline bool DockedTopOrBottom(TAlign align) {
    return align == TAlign::alTop || align == TAlign::alBottom;
}
inline bool DockedToSide(TAlign align) {
    return DockedLeftOrRight(align) || DockedTopOrBottom(align);
}

struct SplitPoint {
    int x = 0;
    int y = 0;
};

// The point just outside the bar on its docked side (bar bounds in the
// parent's coordinates); false for a bar that is not docked to a side.
bool NeighbourProbe(TAlign align, const Rect& bar, SplitPoint& probe);
// Whether a sibling with these bounds lies under the probe. A sibling
// collapsed to zero width (height) is widened by one pixel on both sides, so a
// neighbour snapped to 0 is still found, on the right or below the bar too.
bool BoundsHoldProbe(Rect bounds, SplitPoint probe);

// The largest size a drag may give the neighbour: the parent's length across
// the bar less `minSize` and less everything docked along that axis (the bar
// and the neighbour included), plus what the neighbour has now.
int LargestSplitSize(int parentLength, int minSize, int dockedLength, int neighbourSize);
// The neighbour's size after the bar moved by `movement` pixels (right or down
// is positive): clamped to minSize first, then to maxSize.
int SplitSize(TAlign align, int neighbourSize, int movement, int minSize, int maxSize);
// The movement that takes the neighbour from `size` to `target`.
int SplitMovement(TAlign align, int size, int target);

// A press on the button that travels at most this far across the bar before
// the release still counts as a click.
constexpr int kButtonClickSlop = 5;
bool IsButtonClick(TAlign align, SplitPoint press, SplitPoint release);

} // namespace pixmoth
