#pragma once

#include <cstdint>

#include "imaging/bitmap/Bitmap.h"
#include "imaging/codecs/IconFile.h"
#include "imaging/resample/ResampleFilters.h"

// How the picture-to-icon converter turns a picture into an icon: the sizing
// rule, the scaling, and the icon's colour image and mask. Shared by the
// converter window and pixmoth-cli.
namespace pixmoth {

inline constexpr int kPreviewWidth = 144;
inline constexpr int kPreviewHeight = 142;
inline constexpr int kMinIconSize = 16;
inline constexpr int kMaxIconSize = 48;
inline constexpr int kDefaultIconSize = 32;
inline constexpr int kDefaultFilterIndex = 6; // Mitchell

// A picture as the converter measures it.
struct PictureShape {
    bool wide = false;      // wider than high; a square is not wide
    std::int64_t ratio = 0; // width x 1000 div height (per mille, truncated)
};
PictureShape MeasurePicture(int width, int height);

// The rectangle at (0, 0) a picture of that shape takes in a box of a x b:
// with the aspect kept, a wide picture is a wide and a x 1000 div ratio high,
// any other b high and b x ratio div 1000 wide; without, a x b. Each side is at
// least one pixel, so a very long or thin picture still gives a strip.
Rect FitToBox(const PictureShape& shape, bool keepAspect, int boxWidth, int boxHeight);

// The colour depth choices in the converter's order: 32, 24, 8, 4 and 1 bits.
// The depth code for a choice (0 .. 4); the 8-bit code for anything else.
std::uint8_t DepthCodeOfChoice(int choice);

// What the converter's controls say.
struct IconSettings {
    int size = kDefaultIconSize;
    const FilterEntry* filter = &FilterTable[kDefaultFilterIndex];
    bool keepAspect = true;
    std::uint8_t depth = kIconDepth8;
    bool useTransparent = true;
    PaletteEntry transparent{};
};

// `source` resampled with the filter into its FitToBox rectangle of the box;
// 24 bits. The source is brought to 24 bits. Errors as ResampleBitmap's.
Bitmap ScaleToBox(Bitmap& source, const FilterEntry& filter, bool keepAspect, int boxWidth,
                  int boxHeight);

// The icon of `settings.size` square with `scaled` (at most that size) in its
// top-left corner, both images at the chosen depth. With useTransparent, the
// part the picture does not cover and every picture pixel whose colour at that
// depth is the transparent colour's are transparent; without it, the whole
// square is opaque (black where the picture does not cover it).
IconBitmaps BuildIcon(const Bitmap& scaled, const IconSettings& settings);

// Convert: the scaled picture at the chosen depth (what a glyph file holds) and
// the icon made from it.
struct ConvertedIcon {
    Bitmap glyph;
    IconBitmaps icon;
};
ConvertedIcon ConvertToIcon(Bitmap& source, const IconSettings& settings);

} // namespace pixmoth
