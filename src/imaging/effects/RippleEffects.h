#pragma once

#include "imaging/bitmap/Bitmap.h"

// Effects that move pixels up or down within their column. Every function brings
// the bitmap to 24 bits first.
namespace pixmoth {

// The ripples copy rows H - 1 - a down to 0 (a = min(H div 2, amount), at least
// 0) downward pixel by pixel, pixel x going a per-pixel offset down; later
// copies win. The offset is an 8-bit counter that restarts at 0 for every row.
// RippleTooth: offsets 0, 1, ..., a, 0, 1, ... (a saw-tooth).
void RippleTooth(Bitmap& bitmap, int amount);
// RippleTriangle: offsets 0, 1, ..., a, a - 1, ..., 0, 1, ...; unchanged for a = 0.
void RippleTriangle(Bitmap& bitmap, int amount);
// RippleRandom: reseeds the shared generator from the clock, then takes each
// next offset as Random(a); one draw after every copied pixel.
void RippleRandom(Bitmap& bitmap, int amount);

// Lifts every pixel by round((B + G + R) / 3 / 255 * amount) rows; a pixel lifted
// above the top is dropped, and where several land on one place the one from
// the lowest source row wins. A negative amount lowers pixels instead, dropping
// those that would land below the bottom.
void HeightMap(Bitmap& bitmap, int amount);

} // namespace pixmoth
