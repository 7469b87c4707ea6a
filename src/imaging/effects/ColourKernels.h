#pragma once

#include <cstddef>
#include <cstdint>

// The loops behind the colour effects, in interchangeable sets: a plain C++ set
// that runs everywhere and SIMD sets chosen at run time. Every set gives the
// same bytes as the plain one for every input (the tests compare them over all
// 2^24 colours); the effects themselves (ColourEffects.cpp) only prepare tables
// and split the rows between threads.
namespace pixmoth::colour {

// A band of rows of 24-bit pixels. The destination may be the source itself;
// every kernel reads a pixel before it writes the same pixel, and nothing else.
// Only `width` * 3 bytes of each row are touched, never the row padding.
struct Band {
    const std::uint8_t* src = nullptr;
    std::uint8_t* dst = nullptr;
    std::ptrdiff_t srcStride = 0;
    std::ptrdiff_t dstStride = 0;
    int width = 0;
    int rows = 0;
};

// A channel-wise effect as a table: channel c becomes level[c] & channelMask[k],
// k being the channel's offset in the pixel (0 blue, 1 green, 2 red). The mask
// is 0xFF for channels the effect keeps and 0 for those it zeroes.
struct ToneMap {
    std::uint8_t level[256] = {};
    std::uint8_t channelMask[3] = {0xFF, 0xFF, 0xFF};
};

struct Kernels {
    void (*tone)(const Band& band, const ToneMap& map);
    // g = round(B * 0.30 + G * 0.59 + R * 0.11) in double precision, into all three.
    void (*grey)(const Band& band);
    // Inverts the pixels whose (B + G + R) div 3 exceeds the threshold, copies the others.
    void (*solarize)(const Band& band, int threshold);
    // c := clamp(g + (c - g) * amount div 255), g = (B + G + R) div 3, 32-bit wrapping product.
    void (*saturation)(const Band& band, int amount);
    // c := clamp(c + random(amount) - half(amount)), one draw per channel in byte
    // order, starting from `seed`; wrapping 32-bit sums.
    void (*colorNoise)(const Band& band, int amount, std::uint32_t seed);
    // As colorNoise with one draw per pixel, added to its three channels.
    void (*monoNoise)(const Band& band, int amount, std::uint32_t seed);
};

const Kernels& PlainKernels();
// Null when the processor (or the build's target) lacks the instructions.
const Kernels* Avx2Kernels();
// The AVX2 set with AVX-512 VBMI tone and grey loops.
const Kernels* Avx512Kernels();
// The fastest set this processor runs, chosen once.
const Kernels& FastestKernels();

// a * b in 32-bit two's complement, wrapping as the effects' integer arithmetic
// is defined to (no undefined overflow for any amount a caller passes).
inline int MulWrap(int a, int b) {
    return static_cast<int>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

// Plain loops over part of one row, for the SIMD kernels' row tails. `src` and
// `dst` point at the first pixel to do; the noise rows advance `seed`.
void GreyRow(const std::uint8_t* src, std::uint8_t* dst, int pixels);
void SolarizeRow(const std::uint8_t* src, std::uint8_t* dst, int pixels, int threshold);
void SaturationRow(const std::uint8_t* src, std::uint8_t* dst, int pixels, int amount);
void ColorNoiseRow(const std::uint8_t* src, std::uint8_t* dst, int bytes, int amount,
                   std::uint32_t& seed);
void MonoNoiseRow(const std::uint8_t* src, std::uint8_t* dst, int pixels, int amount,
                  std::uint32_t& seed);

} // namespace pixmoth::colour
