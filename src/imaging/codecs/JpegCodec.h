#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/bitmap/Bitmap.h"
#include "imaging/codecs/RowReceiver.h"

// JPEG through libjpeg(-turbo)'s classic API.
namespace pixmoth {

// Pictures announcing more pixels than this are refused before any allocation.
constexpr std::uint64_t kMaxJpegPixels = 200'000'000;

// Decodes colour, grey, CMYK and YCCK JPEGs into a 24-bit bitmap, turned upright
// by the Exif orientation tag when there is one. libjpeg's errors become Errors
// carrying libjpeg's message.
//
// A file that ends early, or whose compressed data is damaged, still gives the
// whole picture as far as it could be decoded, with the rest mid-grey, as photo
// viewers show it: a photo copied off a failing card is worth seeing. A file that
// ends before its first scan has nothing to show and is an error.
Bitmap DecodeJpeg(const std::uint8_t* data, std::size_t size);
// As DecodeJpeg, from a file; error texts name the file.
Bitmap LoadJpeg(const std::string& path);
// As LoadJpeg, the rows going to `receiver` as they are decoded instead of
// into a bitmap, so the picture is never held whole. Returns false, having
// given the receiver nothing, for a picture whose Exif orientation turns or
// mirrors it: its upright rows do not come top to bottom.
bool LoadJpegRows(const std::string& path, RowReceiver& receiver);

// As DecodeJpeg, shrunk while decoding (which is far cheaper than decoding in full
// and resampling) for thumbnails and previews: the result is the smallest of the
// decoder's scalings 1/8, 2/8 .. 8/8 whose longer side is still at least `maxSide`
// pixels, so a later resample only ever shrinks it. Never enlarges: a picture
// already smaller than `maxSide` comes at full size. `maxSide` below 1 counts as 1.
Bitmap DecodeJpegScaled(const std::uint8_t* data, std::size_t size, int maxSide);
// As DecodeJpeg, shrunk while decoding to the smallest scaling whose upright
// result is still at least `minWidth` x `minHeight`, for pictures that are then
// stretched into a box of that size; a side already smaller than asked comes at
// full size.
Bitmap DecodeJpegAtLeast(const std::uint8_t* data, std::size_t size, int minWidth, int minHeight);
// As DecodeJpegAtLeast, from a file read header first as LoadJpeg reads it;
// error texts name the file.
Bitmap LoadJpegAtLeast(const std::string& path, int minWidth, int minHeight);

// The upright picture's size, from the header and the Exif block alone.
struct JpegSize {
    int width = 0;
    int height = 0;
};
JpegSize ReadJpegSize(const std::uint8_t* data, std::size_t size);

// Baseline, colour (YCbCr 4:2:0), no Exif; any pixel format in.
std::vector<std::uint8_t> EncodeJpeg(const Bitmap& bitmap, int quality = 90);
// Writes atomically (see WriteFileAtomically).
void SaveJpeg(const Bitmap& bitmap, const std::string& path, int quality = 90);
// Throws the Error that encoding a picture of this size would give (JPEG
// allows at most 65500 pixels a side), so a size can be checked before the
// picture is made.
void CheckJpegSize(int width, int height);

} // namespace pixmoth
