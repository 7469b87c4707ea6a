#pragma once

#include "imaging/bitmap/Bitmap.h"

// The rubber band of the capture overlay, drawn by inverting the picture's
// pixels under the pen: drawing the same outline twice gives back the picture
// exactly, whatever lies under it.
namespace pixmoth {

enum class PenStyle {
    Dotted, // while the user drags
    Dashed, // the kept rectangle
};

// Inverts (bitwise NOT of blue, green and red) the pixels of the outline of
// `rect`, corners in any order: columns left and right - 1 and rows top and
// bottom - 1 of the ordered rectangle, each pixel at most once, where the pen's
// pattern is on. The pattern runs clockwise from the top-left corner. An outline
// without width or height draws nothing; pixels off the picture are skipped.
// 24- and 32-bit pictures only; others throw an Error.
void InvertOutline(Bitmap& picture, const Rect& rect, PenStyle style);

} // namespace pixmoth
