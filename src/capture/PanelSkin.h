#pragma once

#include <QImage>
#include <QRegion>

namespace pixmoth {

// The capture panel's skin: the back of a compact digital camera, 196 x 254
// pixels, 24-bit, painted inside `outline` (the panel's shape) so that picture
// and shape always agree. Pads for the panel's five buttons sit where the
// buttons are; the display area is left for the see-through hole.
QImage PaintCameraBack(const QRegion& outline);

} // namespace pixmoth
