#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/bitmap/Bitmap.h"

// PNG through libpng.
namespace pixmoth {

// Pictures announcing more pixels than this are refused before any allocation.
constexpr std::uint64_t kMaxPngPixels = 200'000'000;

// The zlib level pictures are saved at. Level 4 writes photos as small as the
// customary 6 (its longer match search finds nothing more in noisy data) in a
// third of the time, and screenshots about 4 % larger (docs/PERFORMANCE.md).
constexpr int kPngCompressionLevel = 4;

// Decodes every colour type and depth (grey, grey with alpha, palette, RGB,
// RGBA; 1 to 16 bits; interlaced or not) into a 24-bit bitmap. The editor has
// no transparency: alpha, and the transparent colours of a tRNS chunk, are
// composited onto white, rounding to nearest. 16-bit samples keep their high
// byte; gamma and colour profiles are not applied. Damaged, truncated or
// unsupported data throws an Error that says what is wrong; a picture claiming
// more than kMaxPngPixels, or more than its compressed data could hold, is
// refused before any pixel memory is taken. Damaged ancillary chunks (text,
// colour information) are skipped: the picture does not depend on them.
Bitmap DecodePng(const std::uint8_t* data, std::size_t size);
// As DecodePng, with errors reading `subject` + " is truncated" and so on. With
// `format` Bit32 the picture comes as 32-bit pixels, the fourth byte 255, as
// screen grabs hold them, straight from the decoder; any other format gives 24
// bits.
Bitmap DecodePng(const std::uint8_t* data, std::size_t size, const std::string& subject,
                 PixelFormat format = PixelFormat::Bit24);
// As DecodePng, read from the file in pieces: the header is checked before the
// rest is read. Error texts name the file.
Bitmap LoadPng(const std::string& path, PixelFormat format = PixelFormat::Bit24);

// The picture's size from the header alone; throws an Error when the data does
// not start with a PNG header.
struct PngSize {
    int width = 0;
    int height = 0;
};
PngSize ReadPngSize(const std::uint8_t* data, std::size_t size);
// Bytes of the signature and header chunk, all ReadPngSize needs.
constexpr std::size_t kPngHeadBytes = 33;
// True when the data starts with the PNG signature.
bool IsPngData(const std::uint8_t* data, std::size_t size);

// Lossless, not interlaced, at kPngCompressionLevel: palette bitmaps (1, 4 and
// 8 bits) as palette PNGs of the same depth, all others as 8-bit RGB.
std::vector<std::uint8_t> EncodePng(const Bitmap& bitmap);
// Writes atomically (see WriteFileAtomically).
void SavePng(const Bitmap& bitmap, const std::string& path);

} // namespace pixmoth
