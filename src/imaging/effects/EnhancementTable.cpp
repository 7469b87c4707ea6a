#include "imaging/effects/EnhancementTable.h"

#include <array>
#include <cstdint>
#include <limits>

#include "imaging/effects/BlurEffects.h"
#include "imaging/effects/ColourEffects.h"
#include "imaging/effects/EdgeEffects.h"
#include "imaging/effects/RippleEffects.h"
#include "imaging/effects/TileEffects.h"

namespace pixmoth {

namespace {

// The texts carry the dialog's own spelling and spacing.
const std::array<std::string, kEnhancementCount> kNames = {
    "Solorize",
    "Posterize",
    "HeightMap (Size of Map Seg.        ->)",
    "TexturizeTile (Size of Tile               ->)",
    "TexturizeOverlap (Size of Tile        ->)",
    "Ripple Random",
    "Ripple Toth",
    "RippleTriangle",
    "Triangles",
    "Keep Blue",
    "Keep Green",
    "Keep Red",
    "Darken",
    "Trace",
    "Seamless",
    "HorizClip",
    "Mosaic",
    "SplitBlur",
    "GaussianBlur",
    "AddColorNoise",
    "AddMonoNoise",
    "Contrast",
    "Lightness",
    "Saturation",
};

int Saturate(std::int64_t value) {
    if (value > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    if (value < std::numeric_limits<int>::min()) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(value);
}

} // namespace

const std::string& EnhancementName(int index) {
    static const std::string none;
    return index >= 0 && index < kEnhancementCount ? kNames[static_cast<std::size_t>(index)] : none;
}

void RunEnhancement(int index, int factor, Bitmap& sourceCopy, Bitmap& work) {
    const std::int64_t v = factor;
    const int absolute = Saturate(v < 0 ? -v : v);
    const int tenfold = Saturate((v < 0 ? -v : v) * 10);
    const double real = static_cast<double>(v < 0 ? -v : v);
    switch (index) {
    case 0:
        Solarize(sourceCopy, work, factor);
        break;
    case 1:
        Posterize(sourceCopy, work, Saturate(v * 10 + 1));
        break;
    case 2:
        HeightMap(work, absolute);
        break;
    case 3:
        TexturizeTile(work, absolute);
        break;
    case 4:
        TexturizeOverlap(work, absolute);
        break;
    case 5:
        RippleRandom(work, absolute);
        break;
    case 6:
        RippleTooth(work, absolute);
        break;
    case 7:
        RippleTriangle(work, absolute);
        break;
    case 8:
        Triangles(work, absolute);
        break;
    case 9:
        KeepBlue(work, real);
        break;
    case 10:
        KeepGreen(work, real);
        break;
    case 11:
        KeepRed(work, real);
        break;
    case 12:
        Darken(work, absolute);
        break;
    case 13:
        Trace(work, absolute);
        break;
    case 14:
        Seamless(work, absolute);
        break;
    case 15:
        HorizClip(work, absolute);
        break;
    case 16:
        Mosaic(work, absolute);
        break;
    case 17:
        SplitBlur(work, absolute);
        break;
    case 18:
        GaussianBlur(work, absolute);
        break;
    case 19:
        AddColorNoise(work, tenfold);
        break;
    case 20:
        AddMonoNoise(work, tenfold);
        break;
    case 21:
        Contrast(work, tenfold);
        break;
    case 22:
        Lightness(work, tenfold);
        break;
    case 23:
        Saturation(work, tenfold);
        break;
    default:
        break; // nothing selected, or text typed into the list
    }
}

} // namespace pixmoth
