#pragma once

#include "imaging/bitmap/Bitmap.h"

namespace pixmoth {

// The selection rectangle, one for the whole program: whichever document window
// is active owns it, and deactivating a window clears it. Coordinates are on the
// document window's client area, y counted from the top of its tool bar; the
// corners stay in drag order.
struct Selection {
    int X1 = 0;
    int Y1 = 0;
    int X2 = 0;
    int Y2 = 0;

    // A rectangle with area; all zero means none.
    bool Present() const { return X1 != X2 && Y1 != Y2; }
    void Clear() { *this = Selection(); }
    friend bool operator==(const Selection&, const Selection&) = default;
};

Selection& SharedSelection();

// Corners ordered: left/top the smaller coordinates, right/bottom the larger.
Rect NormalizeRect(const Rect& rect);
inline Rect NormalizeRect(const Selection& s) {
    return NormalizeRect(Rect{s.X1, s.Y1, s.X2, s.Y2});
}

} // namespace pixmoth
