#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/bitmap/Bitmap.h"

// The Exif orientation tag: how a camera's stored rows map onto the upright picture.
namespace pixmoth {

// The orientation (1 .. 8) recorded in an APP1 segment's payload, the bytes after
// the marker and length: "Exif\0\0", a TIFF header in either byte order, IFD0 with
// tag 0x0112. Returns 1 (as stored) when the payload is not Exif, has no such tag,
// holds a value outside 1 .. 8 or is damaged anywhere on the way to the tag: a
// photo with a broken Exif block still opens, only unrotated. Never reads outside
// `data .. data + size`.
int ExifOrientation(const std::uint8_t* data, std::size_t size);

// Turns a picture stored with `orientation` upright, at 24 bits. Values outside
// 2 .. 8 leave it as it is:
//   2 mirrored left to right        5 mirrored across the main diagonal
//   3 turned half a turn            6 to be turned a quarter turn clockwise
//   4 mirrored top to bottom        7 mirrored across the other diagonal
//                                   8 to be turned a quarter turn counter-clockwise
void ApplyExifOrientation(Bitmap& bitmap, int orientation);

} // namespace pixmoth
