#pragma once

#include <string>

#include "imaging/bitmap/Bitmap.h"

// Rectangles of the capture overlay. They hold corners as the user dragged them
// (any order) in screen pixels; the outline of an ordered rectangle covers
// columns left and right - 1 and rows top and bottom - 1, and a shot stores only
// what lies inside that outline.
namespace pixmoth {

// The pixels a shot of `selection` stores from a screen of `screenWidth` x
// `screenHeight` pixels: the inside of the outline of the ordered rectangle, or
// the whole screen less a one-pixel border when the rectangle is flat (top equal
// to bottom, which includes the all-zero rectangle of nothing selected). The
// part off the screen is left out, so a rectangle kept from a larger screen
// still works. Throws an Error telling the user what to do when nothing would be
// left to store (less than 3 pixels wide, or 1 or 2 pixels high).
Rect ShotArea(const Rect& selection, int screenWidth, int screenHeight);

} // namespace pixmoth
