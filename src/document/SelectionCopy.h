#pragma once

#include "document/Selection.h"
#include "imaging/bitmap/Bitmap.h"

namespace pixmoth {

// The part of the picture a copy of `selection` takes: its corners ordered, the
// tool bar's height taken off its y values, and mapped from the image
// control's size to the picture's, which differ while the window is zoomed (a
// partly covered picture pixel counts). Clipped to the picture; empty when
// nothing of it is selected.
Rect SelectedPictureRect(const Selection& selection, int toolBarHeight, int controlWidth,
                         int controlHeight, int pictureWidth, int pictureHeight);

// The pixels of `rect`, which lies inside `picture`, as a new 24-bit bitmap.
Bitmap CopyPictureRect(const Bitmap& picture, const Rect& rect);

} // namespace pixmoth
