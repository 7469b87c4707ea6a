#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Bitmap.h"

// JPEG through libjpeg(-turbo)'s classic API.
namespace pixmoth {

// Pictures announcing more pixels than this are refused before any allocation.
constexpr std::uint64_t kMaxJpegPixels = 200'000'000;

// Decodes colour, grey, CMYK and YCCK JPEGs into a 24-bit bitmap, turned upright
// by the Exif orientation tag when there is one. libjpeg's errors become Errors
// carrying libjpeg's message.
Bitmap DecodeJpeg(const std::uint8_t* data, std::size_t size);
// As DecodeJpeg, from a file; error texts name the file.
Bitmap LoadJpeg(const std::string& path);

// Baseline, colour (YCbCr 4:2:0), no Exif; any pixel format in.
std::vector<std::uint8_t> EncodeJpeg(const Bitmap& bitmap, int quality = 90);
// Writes atomically (see WriteFileAtomically).
void SaveJpeg(const Bitmap& bitmap, const std::string& path, int quality = 90);

} // namespace pixmoth
