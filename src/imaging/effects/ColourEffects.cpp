#include "imaging/effects/ColourEffects.h"

#include <cstdint>
#include <cstdlib>

#include "imaging/bitmap/ImageMath.h"
#include "imaging/bitmap/Random.h"
#include "imaging/bitmap/RowBands.h"
#include "imaging/effects/ColourKernels.h"

namespace pixmoth {

namespace {

using colour::Band;
using colour::FastestKernels;
using colour::MulWrap;
using colour::ToneMap;

// Runs kernel(band, firstRow) over the picture, split between threads when it
// is large. Rows are independent, so the bands give the bytes one pass gives.
template <typename Kernel>
void RunBands(const Bitmap& source, Bitmap& destination, Kernel kernel) {
    if (source.Empty()) {
        return;
    }
    const std::uint8_t* src = source.Bits();
    std::uint8_t* dst = destination.Bits();
    const std::ptrdiff_t srcStride = source.Stride();
    const std::ptrdiff_t dstStride = destination.Stride();
    const int width = source.Width();
    ForEachRowBand(source.Height(), static_cast<std::size_t>(srcStride), [&](int first, int end) {
        const Band band{src + first * srcStride,
                        dst + first * dstStride,
                        srcStride,
                        dstStride,
                        width,
                        end - first};
        kernel(band, first);
    });
}

// The destination of a two-bitmap effect is about to be overwritten, so it is
// reshaped to the source's size at 24 bits rather than converted pixel by pixel.
void PrepareSourceAndDestination(Bitmap& source, Bitmap& destination) {
    source.To24Bit();
    if (&destination != &source) {
        destination.Reset(source.Width(), source.Height(), PixelFormat::Bit24);
    }
}

template <typename Level>
ToneMap LevelsOf(Level level) {
    ToneMap map;
    for (int c = 0; c < 256; ++c) {
        map.level[c] = level(c);
    }
    return map;
}

void ApplyTone(Bitmap& source, Bitmap& destination, const ToneMap& map) {
    RunBands(source, destination,
             [&map](const Band& band, int) { FastestKernels().tone(band, map); });
}

// A product of a channel and a factor, rounded. Products above 255 are held at
// 255 and those below 0 at 0: keeping only the low 8 bits, the other choice,
// would turn the brightest channels dark.
std::uint8_t RoundedToByte(double product) {
    if (!(product > 0)) { // also a NaN product
        return 0;
    }
    if (product >= 255) {
        return 255;
    }
    return static_cast<std::uint8_t>(RoundHalfEven(product));
}

void Keep(Bitmap& bitmap, double factor, int keptChannel) {
    bitmap.To24Bit();
    ToneMap map = LevelsOf([factor](int c) { return RoundedToByte(c * factor); });
    for (int k = 0; k < 3; ++k) {
        map.channelMask[k] = k == keptChannel ? 0xFF : 0x00;
    }
    ApplyTone(bitmap, bitmap, map);
}

template <typename NoiseKernel>
void AddNoise(Bitmap& bitmap, int amount, int drawsPerPixel, NoiseKernel kernel) {
    bitmap.To24Bit();
    // Each band starts where the single pass would have the generator when it
    // reaches the band's first row.
    const std::uint32_t seed = RandSeed();
    const std::uint64_t drawsPerRow =
        static_cast<std::uint64_t>(bitmap.Width()) * static_cast<std::uint64_t>(drawsPerPixel);
    RunBands(bitmap, bitmap, [&](const Band& band, int firstRow) {
        kernel(band, amount, RandSeedAfter(seed, drawsPerRow * static_cast<unsigned>(firstRow)));
    });
    SetRandSeed(RandSeedAfter(seed, drawsPerRow * static_cast<std::uint64_t>(bitmap.Height())));
}

} // namespace

void GreyScale(Bitmap& bitmap) {
    bitmap.To24Bit();
    RunBands(bitmap, bitmap, [](const Band& band, int) { FastestKernels().grey(band); });
}

void Invert(Bitmap& bitmap) {
    bitmap.To24Bit();
    RunBands(bitmap, bitmap, [](const Band& band, int) {
        const std::size_t bytes = static_cast<std::size_t>(band.width) * 3;
        for (int y = 0; y < band.rows; ++y) {
            std::uint8_t* row = band.dst + y * band.dstStride;
            for (std::size_t i = 0; i < bytes; ++i) {
                row[i] = static_cast<std::uint8_t>(~row[i]);
            }
        }
    });
}

void Solarize(Bitmap& source, Bitmap& destination, int threshold) {
    PrepareSourceAndDestination(source, destination);
    RunBands(source, destination,
             [threshold](const Band& band, int) { FastestKernels().solarize(band, threshold); });
}

void Posterize(Bitmap& source, Bitmap& destination, int step) {
    PrepareSourceAndDestination(source, destination);
    // c / 0 would be infinite or not a number; step 0 copies, as step 1 does.
    const ToneMap map = LevelsOf([step](int c) -> std::uint8_t {
        if (step == 0) {
            return static_cast<std::uint8_t>(c);
        }
        const long rounded = RoundHalfEven(static_cast<double>(c) / static_cast<double>(step));
        // rounded has the sign of step (or is 0), so the product is never negative.
        const long long product = static_cast<long long>(rounded) * step;
        return product > 255 ? 255 : static_cast<std::uint8_t>(product);
    });
    ApplyTone(source, destination, map);
}

void KeepBlue(Bitmap& bitmap, double factor) {
    Keep(bitmap, factor, 0);
}

void KeepGreen(Bitmap& bitmap, double factor) {
    Keep(bitmap, factor, 1);
}

void KeepRed(Bitmap& bitmap, double factor) {
    Keep(bitmap, factor, 2);
}

void Darken(Bitmap& bitmap, int amount) {
    bitmap.To24Bit();
    ApplyTone(bitmap, bitmap,
              LevelsOf([amount](int c) { return Clamp255(c - MulWrap(amount, c) / 255); }));
}

void Lightness(Bitmap& bitmap, int amount) {
    bitmap.To24Bit();
    ApplyTone(bitmap, bitmap,
              LevelsOf([amount](int c) { return Clamp255(c + MulWrap(amount, 255 - c) / 255); }));
}

void Contrast(Bitmap& bitmap, int amount) {
    bitmap.To24Bit();
    ApplyTone(bitmap, bitmap, LevelsOf([amount](int c) {
                  const int d = MulWrap(amount, std::abs(127 - c)) / 255;
                  return c > 127 ? Clamp255(c + d) : Clamp255(c - d);
              }));
}

void Saturation(Bitmap& bitmap, int amount) {
    bitmap.To24Bit();
    RunBands(bitmap, bitmap,
             [amount](const Band& band, int) { FastestKernels().saturation(band, amount); });
}

void AddColorNoise(Bitmap& bitmap, int amount) {
    AddNoise(bitmap, amount, 3, FastestKernels().colorNoise);
}

void AddMonoNoise(Bitmap& bitmap, int amount) {
    AddNoise(bitmap, amount, 1, FastestKernels().monoNoise);
}

} // namespace pixmoth
