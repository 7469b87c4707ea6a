#pragma once

#include "imaging/bitmap/Bitmap.h"
#include "imaging/bitmap/PixelRows.h"

// The six geometric operations of the Tools menu. Every one brings the bitmaps
// it touches to 24 bits first, so any pixel format goes in and 24 bits come out.
namespace pixmoth {

// destination := source turned a quarter turn clockwise (its size becomes H x W):
// destination pixel (H - 1 - y, x) := source pixel (x, y).
void RotateRight(Bitmap& source, Bitmap& destination);
// destination := source turned a quarter turn counter-clockwise:
// destination pixel (y, W - 1 - x) := source pixel (x, y).
void RotateLeft(Bitmap& source, Bitmap& destination);
// The same turns read from rows outside a bitmap, with the same bytes.
void RotateRightFromRows(const PixelRows& source, Bitmap& destination);
void RotateLeftFromRows(const PixelRows& source, Bitmap& destination);
// Reverses every row (left to right).
void FlipRight(Bitmap& bitmap);
// Reverses the order of the rows (top to bottom).
void FlipDown(Bitmap& bitmap);
// Rows H - 1 - y := row y for y = 0 .. H div 2: the bottom half mirrors the top.
void MirrorHorizontal(Bitmap& bitmap);
// Pixel W - 1 - x := pixel x for x = 0 .. W div 2: the right half mirrors the left.
void MirrorVertical(Bitmap& bitmap);

} // namespace pixmoth
