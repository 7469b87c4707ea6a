#include "imaging/effects/ColourKernels.h"

#include "imaging/bitmap/ImageMath.h"
#include "imaging/bitmap/Random.h"

// The reference loops: each is the effect's formula written out per pixel. The
// SIMD sets must match these byte for byte.
namespace pixmoth::colour {

namespace {

template <typename RowFunction>
void ForEachRow(const Band& band, RowFunction row) {
    const std::uint8_t* src = band.src;
    std::uint8_t* dst = band.dst;
    for (int y = 0; y < band.rows; ++y, src += band.srcStride, dst += band.dstStride) {
        row(src, dst);
    }
}

// c + random(amount) - half(amount), summed left to right in wrapping 32-bit
// arithmetic, then clamped.
inline std::uint8_t AddNoise(std::uint8_t c, int drawn, int half) {
    const auto sum = static_cast<std::uint32_t>(c) + static_cast<std::uint32_t>(drawn) -
                     static_cast<std::uint32_t>(half);
    return Clamp255(static_cast<int>(sum));
}

void PlainTone(const Band& band, const ToneMap& map) {
    const std::uint8_t* level = map.level;
    const std::uint8_t m0 = map.channelMask[0];
    const std::uint8_t m1 = map.channelMask[1];
    const std::uint8_t m2 = map.channelMask[2];
    ForEachRow(band, [&](const std::uint8_t* s, std::uint8_t* d) {
        for (int x = 0; x < band.width; ++x, s += 3, d += 3) {
            d[0] = level[s[0]] & m0;
            d[1] = level[s[1]] & m1;
            d[2] = level[s[2]] & m2;
        }
    });
}

void PlainGrey(const Band& band) {
    ForEachRow(band, [&](const std::uint8_t* s, std::uint8_t* d) { GreyRow(s, d, band.width); });
}

void PlainSolarize(const Band& band, int threshold) {
    ForEachRow(band, [&](const std::uint8_t* s, std::uint8_t* d) {
        SolarizeRow(s, d, band.width, threshold);
    });
}

void PlainSaturation(const Band& band, int amount) {
    ForEachRow(band, [&](const std::uint8_t* s, std::uint8_t* d) {
        SaturationRow(s, d, band.width, amount);
    });
}

void PlainColorNoise(const Band& band, int amount, std::uint32_t seed) {
    ForEachRow(band, [&](const std::uint8_t* s, std::uint8_t* d) {
        ColorNoiseRow(s, d, band.width * 3, amount, seed);
    });
}

void PlainMonoNoise(const Band& band, int amount, std::uint32_t seed) {
    ForEachRow(band, [&](const std::uint8_t* s, std::uint8_t* d) {
        MonoNoiseRow(s, d, band.width, amount, seed);
    });
}

} // namespace

void GreyRow(const std::uint8_t* src, std::uint8_t* dst, int pixels) {
    for (int x = 0; x < pixels; ++x, src += 3, dst += 3) {
        // Blue weighs 0.30 and red 0.11, the reverse of the usual luma weights;
        // the sum is at most 255, so no clamp.
        const double v = src[0] * 0.30 + src[1] * 0.59 + src[2] * 0.11;
        const auto g = static_cast<std::uint8_t>(RoundHalfEven(v));
        dst[0] = g;
        dst[1] = g;
        dst[2] = g;
    }
}

void SolarizeRow(const std::uint8_t* src, std::uint8_t* dst, int pixels, int threshold) {
    for (int x = 0; x < pixels; ++x, src += 3, dst += 3) {
        const int average = (src[0] + src[1] + src[2]) / 3;
        const std::uint8_t flip = average > threshold ? 0xFF : 0x00;
        dst[0] = src[0] ^ flip;
        dst[1] = src[1] ^ flip;
        dst[2] = src[2] ^ flip;
    }
}

void SaturationRow(const std::uint8_t* src, std::uint8_t* dst, int pixels, int amount) {
    for (int x = 0; x < pixels; ++x, src += 3, dst += 3) {
        const int g = (src[0] + src[1] + src[2]) / 3;
        const std::uint8_t b = Clamp255(g + MulWrap(src[0] - g, amount) / 255);
        const std::uint8_t gr = Clamp255(g + MulWrap(src[1] - g, amount) / 255);
        const std::uint8_t r = Clamp255(g + MulWrap(src[2] - g, amount) / 255);
        dst[0] = b;
        dst[1] = gr;
        dst[2] = r;
    }
}

void ColorNoiseRow(const std::uint8_t* src, std::uint8_t* dst, int bytes, int amount,
                   std::uint32_t& seed) {
    const int half = Half(amount);
    std::uint32_t s = seed;
    // The draws go blue, green, red: the byte order, so a row is one run of draws.
    for (int i = 0; i < bytes; ++i) {
        dst[i] = AddNoise(src[i], RandomStep(s, amount), half);
    }
    seed = s;
}

void MonoNoiseRow(const std::uint8_t* src, std::uint8_t* dst, int pixels, int amount,
                  std::uint32_t& seed) {
    const int half = Half(amount);
    std::uint32_t s = seed;
    for (int x = 0; x < pixels; ++x, src += 3, dst += 3) {
        const int drawn = RandomStep(s, amount);
        const std::uint8_t b = AddNoise(src[0], drawn, half);
        const std::uint8_t g = AddNoise(src[1], drawn, half);
        const std::uint8_t r = AddNoise(src[2], drawn, half);
        dst[0] = b;
        dst[1] = g;
        dst[2] = r;
    }
    seed = s;
}

const Kernels& PlainKernels() {
    static const Kernels kernels = {PlainTone,       PlainGrey,       PlainSolarize,
                                    PlainSaturation, PlainColorNoise, PlainMonoNoise};
    return kernels;
}

} // namespace pixmoth::colour
