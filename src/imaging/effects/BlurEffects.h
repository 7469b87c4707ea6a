#pragma once

#include "imaging/bitmap/Bitmap.h"

// Blurs that work in place row by row: rows above the current one are read with
// their new values. Every function brings the bitmap to 24 bits first.
namespace pixmoth {

// Each channel of pixel (x, y) becomes the mean (shr 2) of the four pixels at
// (x -/+ amount, y -/+ amount); a partner before the first row or column is the
// pixel's own row or column, one past the last is the mirror H - y (W - x), and
// row 0 / column 0 take the last row / column there. The centre does not take
// part. An amount of 0 or less changes nothing.
void SplitBlur(Bitmap& bitmap, int amount);

// amount + 1 passes of SplitBlur(bitmap, 3); none when amount < 0. Stops soon
// after the picture settles (a pass that changes nothing is repeated by every
// further pass), so even a huge amount ends.
void GaussianBlur(Bitmap& bitmap, int amount);

} // namespace pixmoth
