#pragma once

#include "imaging/bitmap/Bitmap.h"

// The thumbnail list's pictures: a grey square with a frame, dark at the bottom
// and right and light at the top and left, and the whole picture stretched
// into the square inside, shape not kept.
namespace pixmoth {

constexpr int kThumbSize = 96;
// Where the picture goes: 91 x 91 pixels (right and bottom exclusive).
constexpr Rect kThumbPictureRect{2, 2, kThumbSize - 3, kThumbSize - 3};

// The square and its frame without a picture: what a file that cannot be
// read shows. 24 bits, kThumbSize x kThumbSize.
Bitmap BlankThumbnail();

// The blank thumbnail with `picture` stretched nearest-pixel into
// kThumbPictureRect; an empty picture leaves it blank.
Bitmap DrawThumbnail(const Bitmap& picture);

} // namespace pixmoth
