#pragma once

#include "imaging/bitmap/Bitmap.h"

namespace pixmoth {

// Where document windows go in the frame's work area, the rectangle from (0, 0)
// to (areaWidth, areaHeight). A window whose title bar or tool bar lay outside
// it could neither be moved nor closed nor zoomed back.

// `window` no larger than the area, and moved left and up as far as needed to
// lie inside it (never past its top-left corner). An empty area (a frame not
// laid out yet) leaves the window as it is.
Rect FitIntoWorkArea(const Rect& window, int areaWidth, int areaHeight);

// `window` with its right and bottom edges cut back to the area's, its
// top-left corner kept: for windows the frame has arranged itself.
Rect ClipToWorkArea(const Rect& window, int areaWidth, int areaHeight);

// New windows cascade from the top-left corner by `step` pixels each, as a
// multiple-document frame places them. Given the slot of the window to place
// and its size, returns the slot it takes: its own, or 0 (the top-left corner)
// when the window would not fit at its own. The next window takes the slot
// after it.
int CascadeSlot(int slot, int step, int width, int height, int areaWidth, int areaHeight);

} // namespace pixmoth
