#pragma once

#include <string>

#include "imaging/bitmap/Bitmap.h"
#include "imaging/codecs/wmf/WmfFile.h"

// Metafiles as pictures: played onto white with the program's own player.
namespace pixmoth {

// The metafile's frame drawn at width x height, 24 bits.
Bitmap RenderWmf(const WmfFile& file, int width, int height);

// A metafile file at its own size (WmfPictureSize); an empty bitmap when it
// draws nothing. A file cut short or with a damaged record is refused. Errors
// name the file.
Bitmap LoadWmfPicture(const std::string& path);

} // namespace pixmoth
