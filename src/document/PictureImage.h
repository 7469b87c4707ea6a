#pragma once

#include <QImage>

#include "imaging/bitmap/Bitmap.h"
// ToImage, the way back, is the dialogs' own.
#include "imaging/dialogs/PictureView.h"

namespace pixmoth {

// A 24-bit copy of `image`; pixels that are not opaque are laid over white, as
// they would be shown on a white page.
Bitmap FromImage(const QImage& image);

} // namespace pixmoth
