#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/bitmap/Bitmap.h"

// Windows BMP files: OS/2 core and Windows info headers (V1 to V5), 1/4/8-bit
// palettes, RLE4 and RLE8, 16 and 32 bits with or without bit fields, 24 bits,
// bottom-up and top-down rows.
namespace pixmoth {

// Decodes a BMP held in memory. Palette files give palette bitmaps of the same
// depth; 16- and 32-bit files with non-standard bit fields and RLE files are
// expanded to 24 bits (BmpCodec.cpp lists every case). Damaged or unsupported
// data throws an Error that says what is wrong (never reads outside `data`,
// never believes a size the data cannot hold). Data that stops short of the
// picture is an error, not a partial picture; RLE pixels that no code sets are
// black.
Bitmap DecodeBmp(const std::uint8_t* data, std::size_t size);
// As DecodeBmp, with errors reading `subject` + " is truncated" and so on.
Bitmap DecodeBmp(const std::uint8_t* data, std::size_t size, const std::string& subject);
// As DecodeBmp, from a file; error texts name the file.
Bitmap LoadBmp(const std::string& path);

// Encodes at the bitmap's own pixel format, bottom-up, BITMAPINFOHEADER.
std::vector<std::uint8_t> EncodeBmp(const Bitmap& bitmap);
// Writes atomically (see WriteFileAtomically).
void SaveBmp(const Bitmap& bitmap, const std::string& path);
// Throws the Error that encoding a picture of this size and format would give
// (a BMP file holds at most 4 GB), so a size can be checked before the picture
// is made.
void CheckBmpSize(int width, int height, PixelFormat format);

} // namespace pixmoth
