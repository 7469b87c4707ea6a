#pragma once

#include <string>

#include "imaging/bitmap/Bitmap.h"

// Picture files chosen by extension, compared without regard to case.
namespace pixmoth {

enum class PictureKind { Jpeg, Bmp, Other };

// ".jpg" and ".jpeg" are JPEG, ".bmp" is BMP, anything else is Other.
PictureKind PictureKindOf(const std::string& path);

// Decodes a JPEG or BMP file; any other extension throws an Error naming it.
Bitmap LoadPicture(const std::string& path);

// Writes JPEG (quality 90) for a ".jpg"/".jpeg" name and BMP otherwise, atomically.
void SavePicture(const Bitmap& bitmap, const std::string& path);

} // namespace pixmoth
