// Every picture operation with arbitrary arguments on small arbitrary
// pictures of every pixel format: transforms, colour, edge, blur, ripple and
// tile effects, the enhancement table and resampling with every filter. An
// Error is a fine answer; a crash or a sanitizer report is not. A picture
// that comes back is whole: its size and every row are readable.
#include <cstdint>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzRequire.h"
#include "imaging/bitmap/Bitmap.h"
#include "imaging/bitmap/Error.h"
#include "imaging/bitmap/Random.h"
#include "imaging/effects/BlurEffects.h"
#include "imaging/effects/ColourEffects.h"
#include "imaging/effects/EdgeEffects.h"
#include "imaging/effects/EnhancementTable.h"
#include "imaging/effects/RippleEffects.h"
#include "imaging/effects/TileEffects.h"
#include "imaging/effects/Transforms.h"
#include "imaging/resample/Resample.h"

namespace {

using pixmoth::Bitmap;

constexpr pixmoth::PixelFormat kFormats[] = {
    pixmoth::PixelFormat::Bit1,  pixmoth::PixelFormat::Bit4,  pixmoth::PixelFormat::Bit8,
    pixmoth::PixelFormat::Bit15, pixmoth::PixelFormat::Bit16, pixmoth::PixelFormat::Bit24,
    pixmoth::PixelFormat::Bit32};

Bitmap RandomPicture(FuzzedDataProvider& in) {
    const int width = in.ConsumeIntegralInRange(0, 24);
    const int height = in.ConsumeIntegralInRange(0, 24);
    const auto format = kFormats[in.ConsumeIntegralInRange<std::size_t>(0, 6)];
    Bitmap picture(width, height, format);
    if (pixmoth::HasPalette(format)) {
        std::vector<pixmoth::PaletteEntry> palette(picture.Palette().size());
        for (auto& entry : palette) {
            entry = {in.ConsumeIntegral<std::uint8_t>(), in.ConsumeIntegral<std::uint8_t>(),
                     in.ConsumeIntegral<std::uint8_t>(), 0};
        }
        picture.SetPalette(palette);
    }
    const std::size_t used =
        (static_cast<std::size_t>(width) * pixmoth::BitsPerPixel(format) + 7) / 8;
    for (int y = 0; y < height; ++y) {
        const std::vector<std::uint8_t> row = in.ConsumeBytes<std::uint8_t>(used);
        std::copy(row.begin(), row.end(), picture.ScanLine(y));
    }
    return picture;
}

// Mostly the values the effects are meant for, sometimes anything at all.
int Amount(FuzzedDataProvider& in) {
    return in.ConsumeBool() ? in.ConsumeIntegralInRange(-300, 300) : in.ConsumeIntegral<int>();
}

void RequireWhole(const Bitmap& picture) {
    Require(picture.Width() >= 0 && picture.Height() >= 0, "a size");
    for (int y = 0; picture.Width() > 0 && y < picture.Height(); ++y) {
        Require(picture.ScanLine(y) != nullptr, "every row");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const int operation = in.ConsumeIntegralInRange(0, 36);
    const int amount = Amount(in);
    const int a = Amount(in), b = Amount(in), c = Amount(in), d = Amount(in);
    const double factor = in.ConsumeFloatingPoint<double>();
    pixmoth::SetRandSeed(in.ConsumeIntegral<std::uint32_t>());
    Bitmap picture = RandomPicture(in);
    Bitmap other = in.ConsumeBool() ? RandomPicture(in) : Bitmap();
    try {
        switch (operation) {
        case 0:
            pixmoth::RotateRight(picture, other);
            break;
        case 1:
            pixmoth::RotateLeft(picture, other);
            break;
        case 2:
            pixmoth::FlipRight(picture);
            break;
        case 3:
            pixmoth::FlipDown(picture);
            break;
        case 4:
            pixmoth::MirrorHorizontal(picture);
            break;
        case 5:
            pixmoth::MirrorVertical(picture);
            break;
        case 6:
            pixmoth::GreyScale(picture);
            break;
        case 7:
            pixmoth::Invert(picture);
            break;
        case 8:
            pixmoth::Solarize(picture, in.ConsumeBool() ? picture : other, amount);
            break;
        case 9:
            pixmoth::Posterize(picture, in.ConsumeBool() ? picture : other, amount);
            break;
        case 10:
            pixmoth::KeepBlue(picture, factor);
            break;
        case 11:
            pixmoth::KeepGreen(picture, factor);
            break;
        case 12:
            pixmoth::KeepRed(picture, factor);
            break;
        case 13:
            pixmoth::Darken(picture, amount);
            break;
        case 14:
            pixmoth::Lightness(picture, amount);
            break;
        case 15:
            pixmoth::Contrast(picture, amount);
            break;
        case 16:
            pixmoth::Saturation(picture, amount);
            break;
        case 17:
            pixmoth::AddColorNoise(picture, amount);
            break;
        case 18:
            pixmoth::AddMonoNoise(picture, amount);
            break;
        case 19:
            pixmoth::Emboss(picture);
            break;
        case 20:
            pixmoth::Shadow(picture);
            break;
        case 21:
            pixmoth::AntiAliasRect(picture, a, b, c, d);
            break;
        case 22:
            pixmoth::AntiAlias(picture);
            break;
        case 23:
            pixmoth::Trace(picture, amount);
            break;
        case 24:
            pixmoth::SplitBlur(picture, amount);
            break;
        case 25:
            pixmoth::GaussianBlur(picture, amount);
            break;
        case 26:
            pixmoth::Mosaic(picture, amount);
            break;
        case 27:
            pixmoth::Seamless(picture, amount);
            break;
        case 28:
            pixmoth::HorizClip(picture, amount);
            break;
        case 29:
            pixmoth::Triangles(picture, amount);
            break;
        case 30:
            pixmoth::TexturizeTile(picture, amount);
            break;
        case 31:
            pixmoth::TexturizeOverlap(picture, amount);
            break;
        case 32:
            pixmoth::RippleTooth(picture, amount);
            break;
        case 33:
            pixmoth::RippleTriangle(picture, amount);
            break;
        case 34:
            pixmoth::HeightMap(picture, amount);
            break;
        case 35:
            pixmoth::RippleRandom(picture, amount);
            break; // reseeds from the clock
        case 36: {
            // The enhancement dialog's entries, then resampling, as the dialogs run them.
            pixmoth::RunEnhancement(in.ConsumeIntegralInRange(-1, 24), amount, picture, other);
            const auto& filter = pixmoth::FilterTable[in.ConsumeIntegralInRange<std::size_t>(
                0, pixmoth::FilterTable.size() - 1)];
            Bitmap result(in.ConsumeIntegralInRange(0, 40), in.ConsumeIntegralInRange(0, 40));
            pixmoth::ResampleBitmap(picture, result, filter.kernel, filter.support);
            RequireWhole(result);
            break;
        }
        }
    } catch (const pixmoth::Error&) {
    }
    RequireWhole(picture);
    RequireWhole(other);
    return 0;
}
