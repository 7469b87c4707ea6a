#pragma once

#include <optional>

#include "imaging/bitmap/Bitmap.h"

namespace pixmoth {

// The system clipboard as the document windows use it: pictures only.

// Puts a copy of `picture` on the clipboard. Where a clipboard manager runs,
// it takes the picture over when the program ends, so it stays pasteable.
void PutPictureOnClipboard(const Bitmap& picture);

bool ClipboardHoldsPicture();

// The clipboard's picture as a 24-bit bitmap; nullopt when it holds none.
std::optional<Bitmap> PictureFromClipboard();

} // namespace pixmoth
