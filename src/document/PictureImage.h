#pragma once

#include <QImage>

#include "imaging/bitmap/Bitmap.h"

namespace pixmoth {

// A copy of the picture as an image of the same pixels (24-bit); a null image
// for an empty picture.
QImage ToImage(const Bitmap& picture);

// A 24-bit copy of `image`; pixels that are not opaque are laid over white, as
// they would be shown on a white page.
Bitmap FromImage(const QImage& image);

} // namespace pixmoth
