#pragma once

#include <cstdint>
#include <vector>

#include "imaging/bitmap/Bitmap.h"

namespace pixmoth {

// The fixed 256-colour palette that 8-bit conversion maps onto:
//   0 .. 7      black, maroon, green, olive, navy, purple, teal, silver
//   8 .. 223    the 6 x 6 x 6 colour cube, levels 0, 51, 102, 153, 204, 255;
//               index 8 + 36 * r + 6 * g + b with r, g, b the level numbers
//   224 .. 247  greys round(255 * k / 25) for k = 1 .. 24
//   248 .. 255  grey (128), red, lime, yellow, blue, fuchsia, aqua, white
// Some colours stand twice; a colour maps to the lowest index among its nearest.
const std::vector<PaletteEntry>& HalftonePalette();

// The 16 standard colours in their usual order (entries 0..7 and 248..255 above).
const std::vector<PaletteEntry>& StandardPalette16();

// Index of the halftone entry nearest to the colour (squared distance in RGB,
// ties to the lower index). Exact, not an approximation through a coarse table.
std::uint8_t NearestHalftoneIndex(std::uint8_t blue, std::uint8_t green, std::uint8_t red);

// Nearest entry of any palette by the same rule; slow (tries every entry).
int NearestPaletteIndex(const std::vector<PaletteEntry>& palette, std::uint8_t blue,
                        std::uint8_t green, std::uint8_t red);

} // namespace pixmoth
