#pragma once

#include "imaging/bitmap/Bitmap.h"

// Block, tile and edge-blend effects. Every function brings the bitmap to 24 bits
// first (except where it fails before changing anything).
namespace pixmoth {

// Blocks of size x size pixels from (0, 0), cut by the border, each filled with
// its top-left pixel. A size of 1 or less changes nothing.
void Mosaic(Bitmap& bitmap, int size);

// Makes the top edge continue the bottom edge and the right edge the left one:
// row 0 becomes row H - 1, rows 1 .. H div depth - 1 ramp from it to row
// H div depth (to row H - 1 when that is past the picture), then column W - 1
// becomes column 0 and the W div depth - 1 columns before it ramp from it to
// column W - W div depth. Throws "Division by zero" for depth 0, unchanged.
void Seamless(Bitmap& bitmap, int depth);

// The W div depth leftmost and rightmost pixels of every row become ramps that
// start from the row's end pixels. Throws "Division by zero" for depth 0, unchanged.
void HorizClip(Bitmap& bitmap, int depth);

// Cuts every row into runs of one colour whose lengths follow two triangle waves
// over the row number. Sizes below 5 act as 5, even sizes as the next odd one.
void Triangles(Bitmap& bitmap, int size);

// Shrinks the whole picture into a square tile of min(size, W div 2, H div 2)
// pixels (nearest-pixel stretch) and covers the picture with copies of it from
// (0, 0). A tile size of 0 or less changes nothing.
void TexturizeTile(Bitmap& bitmap, int size);

// As TexturizeTile, but the tiles are placed every round(2 * tile / 3) pixels,
// each covering a third of the one before.
void TexturizeOverlap(Bitmap& bitmap, int size);

} // namespace pixmoth
