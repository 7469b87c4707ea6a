#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/bitmap/Bitmap.h"

// Icon (.ico) and cursor (.cur) files as pictures. A file holds one or more
// pictures, each a device-independent bitmap (colour rows, then a one-bit AND
// mask) or a PNG file. The largest picture is shown, the deepest of those of
// equal size, as it would look on a white desktop:
//  - pictures with alpha (32-bit bitmaps whose fourth bytes are not all zero,
//    PNG pictures with alpha or tRNS) are blended onto white;
//  - others follow the mask as the screen does: where its bit is 0 the colour
//    shows, where it is 1 the white below is XORed with the colour (so black
//    leaves it white and other colours invert it).
// The result is a 24-bit bitmap.
namespace pixmoth {

// Decodes an icon or cursor held in memory. Damaged or unsupported data throws
// an Error that says what is wrong; pictures claiming more pixels than the BMP
// and PNG readers allow, or than the file holds, are refused before any pixel
// memory is taken.
Bitmap DecodeIcon(const std::uint8_t* data, std::size_t size);
// As DecodeIcon, from a file: the directory and picture headers are read and
// checked first, then only the chosen picture. Error texts name the file.
Bitmap LoadIcon(const std::string& path);

} // namespace pixmoth
