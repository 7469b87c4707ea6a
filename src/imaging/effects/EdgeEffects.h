#pragma once

#include "imaging/bitmap/Bitmap.h"

// Effects that read each pixel's near neighbours in place: a pixel rewritten
// earlier in the loop is read with its new value where the loop order says so.
// Every function brings the bitmap to 24 bits first.
namespace pixmoth {

// Each channel c of pixel (x, y) becomes (c + 255 - c') shr 1, c' from pixel
// (x + 3, y + 1); the last row and the last three columns stay.
void Emboss(Bitmap& bitmap);

// A pixel takes the colour of the pixel four to the right and four up, plus 1 in
// each channel (saturating at 255), when that one is darker in blue. Rows 0 .. 3
// and the last four columns stay.
void Shadow(Bitmap& bitmap);

// Each channel of every pixel inside the rectangle (corners in any order, kept one
// pixel away from the border) becomes the mean (shr 2) of its four direct
// neighbours; the upper and left ones are already smoothed, so it propagates.
void AntiAliasRect(Bitmap& bitmap, int x1, int y1, int x2, int y2);
// AntiAliasRect over the whole picture, (0, 0) to (W, H).
void AntiAlias(Bitmap& bitmap);

// Paints black the pixels where the picture's halftone palette index changes
// between neighbours. Intensity 0 or less changes nothing; 2 and above all give
// the same picture (the second pass adds a backward sweep, later passes repeat it).
void Trace(Bitmap& bitmap, int intensity);

} // namespace pixmoth
