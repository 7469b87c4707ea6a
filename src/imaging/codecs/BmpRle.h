#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/bitmap/Bitmap.h"
#include "imaging/codecs/BmpHeader.h"

// Run-length encoded BMP pixels: RLE8, RLE4 and OS/2's RLE24.
namespace pixmoth {

// Expands the RLE codes in `data` (the `size` bytes from the header's pixel
// offset on) into a 24-bit bitmap. Pixels that no code sets (left out by a
// delta, an early end of line or an early end of bitmap) are black, whatever
// the palette holds, as are indices beyond the palette. Runs past the right
// edge and codes past the top row are dropped. Data that ends before the
// picture is complete, without an end-of-bitmap code, is an error "... is
// truncated": a partial picture would look like a whole one.
Bitmap DecodeBmpRle(const BmpHeader& header, const std::uint8_t* data, std::size_t size,
                    const std::string& subject);

} // namespace pixmoth
