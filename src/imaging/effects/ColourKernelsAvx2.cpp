#include "imaging/effects/ColourKernels.h"

// x86 only; on other processors the SIMD sets do not exist and the plain one runs.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <climits>

#include "imaging/bitmap/Random.h"

// AVX2 loops, 32 pixels at a time, for the effects that need a whole pixel
// (grey, solarize, saturation, noise). Each is exact: the double arithmetic is
// the plain loop's, operation for operation (no fused multiply-add), and every
// integer shortcut is exact over the inputs it is used for, which the tests
// check over all 2^24 colours. Row tails go through the plain row loops.
namespace pixmoth::colour {

namespace {

// 32 pixels: each 128-bit lane of part[k] holds bytes 16k .. 16k + 15 of a run of
// 16 pixels, the low lane pixels 0 .. 15 and the high lane pixels 16 .. 31, so
// the in-lane byte shuffle can take channels apart and put them back.
struct Block {
    __m256i part[3];
};

// Shuffle controls, the same 16 bytes in both lanes. 0x80 yields a zero byte.
struct ShuffleMask {
    alignas(32) std::uint8_t byte[32];
};

// Channel `channel` of the 16 pixels, picked from part `part`.
constexpr ShuffleMask SplitMask(int channel, int part) {
    ShuffleMask mask{};
    for (int i = 0; i < 16; ++i) {
        const int at = 3 * i + channel;
        mask.byte[i] = mask.byte[i + 16] =
            static_cast<std::uint8_t>(at / 16 == part ? at % 16 : 0x80);
    }
    return mask;
}

// Part `part` of the pixels built from channel vector `channel`.
constexpr ShuffleMask JoinMask(int channel, int part) {
    ShuffleMask mask{};
    for (int j = 0; j < 16; ++j) {
        const int at = 16 * part + j;
        mask.byte[j] = mask.byte[j + 16] =
            static_cast<std::uint8_t>(at % 3 == channel ? at / 3 : 0x80);
    }
    return mask;
}

// Part `part` of the pixels with every channel set to one value per pixel.
constexpr ShuffleMask SpreadMask(int part) {
    ShuffleMask mask{};
    for (int j = 0; j < 16; ++j) {
        mask.byte[j] = mask.byte[j + 16] = static_cast<std::uint8_t>((16 * part + j) / 3);
    }
    return mask;
}

constexpr ShuffleMask kSplit[3][3] = {
    {SplitMask(0, 0), SplitMask(0, 1), SplitMask(0, 2)},
    {SplitMask(1, 0), SplitMask(1, 1), SplitMask(1, 2)},
    {SplitMask(2, 0), SplitMask(2, 1), SplitMask(2, 2)},
};
constexpr ShuffleMask kJoin[3][3] = {
    {JoinMask(0, 0), JoinMask(0, 1), JoinMask(0, 2)},
    {JoinMask(1, 0), JoinMask(1, 1), JoinMask(1, 2)},
    {JoinMask(2, 0), JoinMask(2, 1), JoinMask(2, 2)},
};
constexpr ShuffleMask kSpread[3] = {SpreadMask(0), SpreadMask(1), SpreadMask(2)};

[[gnu::target("avx2")]] inline __m256i Mask(const ShuffleMask& mask) {
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(mask.byte));
}

[[gnu::target("avx2")]] inline Block LoadBlock(const std::uint8_t* p) {
    Block block;
    for (int k = 0; k < 3; ++k) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48 + 16 * k));
        block.part[k] = _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
    }
    return block;
}

[[gnu::target("avx2")]] inline void StoreBlock(std::uint8_t* p, const Block& block) {
    for (int k = 0; k < 3; ++k) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16 * k),
                         _mm256_castsi256_si128(block.part[k]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 48 + 16 * k),
                         _mm256_extracti128_si256(block.part[k], 1));
    }
}

// One channel of the 32 pixels, in pixel order within each lane.
[[gnu::target("avx2")]] inline __m256i Channel(const Block& block, int channel) {
    const __m256i a = _mm256_shuffle_epi8(block.part[0], Mask(kSplit[channel][0]));
    const __m256i b = _mm256_shuffle_epi8(block.part[1], Mask(kSplit[channel][1]));
    const __m256i c = _mm256_shuffle_epi8(block.part[2], Mask(kSplit[channel][2]));
    return _mm256_or_si256(_mm256_or_si256(a, b), c);
}

[[gnu::target("avx2")]] inline Block Join(__m256i blue, __m256i green, __m256i red) {
    Block block;
    for (int k = 0; k < 3; ++k) {
        const __m256i b = _mm256_shuffle_epi8(blue, Mask(kJoin[0][k]));
        const __m256i g = _mm256_shuffle_epi8(green, Mask(kJoin[1][k]));
        const __m256i r = _mm256_shuffle_epi8(red, Mask(kJoin[2][k]));
        block.part[k] = _mm256_or_si256(_mm256_or_si256(b, g), r);
    }
    return block;
}

// Every channel of pixel i takes byte i of `values`.
[[gnu::target("avx2")]] inline Block Spread(__m256i values) {
    Block block;
    for (int k = 0; k < 3; ++k) {
        block.part[k] = _mm256_shuffle_epi8(values, Mask(kSpread[k]));
    }
    return block;
}

[[gnu::target("avx2")]] inline Block Xor(const Block& block, const Block& other) {
    Block result;
    for (int k = 0; k < 3; ++k) {
        result.part[k] = _mm256_xor_si256(block.part[k], other.part[k]);
    }
    return result;
}

// --- grey scale ---

// Grey of the 4 pixels whose channels are the low 4 bytes of b, g, r, as 4 int32.
[[gnu::target("avx2")]] inline __m128i GreyOf4(__m128i b, __m128i g, __m128i r) {
    const __m256d vb = _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(b));
    const __m256d vg = _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(g));
    const __m256d vr = _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(r));
    // (B * 0.30 + G * 0.59) + R * 0.11, as the plain loop sums it.
    const __m256d sum = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(vb, _mm256_set1_pd(0.30)),
                                                    _mm256_mul_pd(vg, _mm256_set1_pd(0.59))),
                                      _mm256_mul_pd(vr, _mm256_set1_pd(0.11)));
    // Converts in the current rounding mode, round to nearest even, as lrint does.
    return _mm256_cvtpd_epi32(sum);
}

[[gnu::target("avx2")]] inline __m128i GreyOf16(__m128i b, __m128i g, __m128i r) {
    const __m128i q0 = GreyOf4(b, g, r);
    const __m128i q1 = GreyOf4(_mm_srli_si128(b, 4), _mm_srli_si128(g, 4), _mm_srli_si128(r, 4));
    const __m128i q2 = GreyOf4(_mm_srli_si128(b, 8), _mm_srli_si128(g, 8), _mm_srli_si128(r, 8));
    const __m128i q3 = GreyOf4(_mm_srli_si128(b, 12), _mm_srli_si128(g, 12), _mm_srli_si128(r, 12));
    return _mm_packus_epi16(_mm_packs_epi32(q0, q1), _mm_packs_epi32(q2, q3));
}

[[gnu::target("avx2")]] void Avx2Grey(const Band& band) {
    for (int y = 0; y < band.rows; ++y) {
        const std::uint8_t* src = band.src + y * band.srcStride;
        std::uint8_t* dst = band.dst + y * band.dstStride;
        int x = 0;
        for (; x + 32 <= band.width; x += 32, src += 96, dst += 96) {
            const Block block = LoadBlock(src);
            const __m256i b = Channel(block, 0);
            const __m256i g = Channel(block, 1);
            const __m256i r = Channel(block, 2);
            const __m128i low = GreyOf16(_mm256_castsi256_si128(b), _mm256_castsi256_si128(g),
                                         _mm256_castsi256_si128(r));
            const __m128i high =
                GreyOf16(_mm256_extracti128_si256(b, 1), _mm256_extracti128_si256(g, 1),
                         _mm256_extracti128_si256(r, 1));
            StoreBlock(dst, Spread(_mm256_set_m128i(high, low)));
        }
        GreyRow(src, dst, band.width - x);
    }
}

// --- solarize ---

[[gnu::target("avx2")]] void Avx2Solarize(const Band& band, int threshold) {
    // (B + G + R) div 3 > t  <=>  B + G + R > 3t + 2 for 0 <= t < 255; the sum
    // is at most 765, so the limit is clipped to -1 .. 765 and fits 16 bits.
    const int limit = threshold < 0 ? -1 : (threshold >= 255 ? 765 : 3 * threshold + 2);
    const __m256i limitVector = _mm256_set1_epi16(static_cast<short>(limit));
    const __m256i zero = _mm256_setzero_si256();
    for (int y = 0; y < band.rows; ++y) {
        const std::uint8_t* src = band.src + y * band.srcStride;
        std::uint8_t* dst = band.dst + y * band.dstStride;
        int x = 0;
        for (; x + 32 <= band.width; x += 32, src += 96, dst += 96) {
            const Block block = LoadBlock(src);
            const __m256i b = Channel(block, 0);
            const __m256i g = Channel(block, 1);
            const __m256i r = Channel(block, 2);
            const __m256i sumLow = _mm256_add_epi16(
                _mm256_add_epi16(_mm256_unpacklo_epi8(b, zero), _mm256_unpacklo_epi8(g, zero)),
                _mm256_unpacklo_epi8(r, zero));
            const __m256i sumHigh = _mm256_add_epi16(
                _mm256_add_epi16(_mm256_unpackhi_epi8(b, zero), _mm256_unpackhi_epi8(g, zero)),
                _mm256_unpackhi_epi8(r, zero));
            const __m256i flip = _mm256_packs_epi16(_mm256_cmpgt_epi16(sumLow, limitVector),
                                                    _mm256_cmpgt_epi16(sumHigh, limitVector));
            StoreBlock(dst, Xor(block, Spread(flip)));
        }
        SolarizeRow(src, dst, band.width - x, threshold);
    }
}

// --- saturation ---

// Largest |amount| for which (c - g) * amount cannot leave 32 bits (|c - g| <= 255).
constexpr int kSaturationExactLimit = INT_MAX / 255;

// The saturation of one channel, 16 channels in 16-bit lanes. With |amount| =
// 255 q + r, |k| * |amount| div 255 = |k| q + |k| r div 255 exactly. Only whether
// the change reaches 256 matters after the clamp, so q is capped at 256 and the
// sum at 256, which keeps every step inside 16 bits; |k| r div 255 is
// (|k| r * 0x8081) >> 23, exact below 65536.
constexpr short kDiv255 = static_cast<short>(0x8081);

struct SaturationFactors {
    __m256i quotient; // min(q, 256)
    __m256i remainder;
    __m256i sign; // +1 or -1, the sign of the amount
};

[[gnu::target("avx2")]] inline __m256i SaturateChannel(__m256i c, __m256i grey,
                                                       const SaturationFactors& f) {
    const __m256i k = _mm256_sub_epi16(c, grey);
    const __m256i m = _mm256_abs_epi16(k);
    const __m256i whole = _mm256_mullo_epi16(m, f.quotient);
    const __m256i part = _mm256_srli_epi16(
        _mm256_mulhi_epu16(_mm256_mullo_epi16(m, f.remainder), _mm256_set1_epi16(kDiv255)), 7);
    const __m256i change = _mm256_min_epu16(_mm256_add_epi16(whole, part), _mm256_set1_epi16(256));
    // Truncation toward zero makes the quotient's sign that of k * amount.
    return _mm256_add_epi16(grey, _mm256_sign_epi16(change, _mm256_sign_epi16(k, f.sign)));
}

// The three channels of 16 pixels widened to 16 bits (one half of a block).
[[gnu::target("avx2")]] inline void SaturateHalf(__m256i& b, __m256i& g, __m256i& r,
                                                 const SaturationFactors& f) {
    // (B + G + R) div 3 as (sum * 21846) >> 16, exact for sums up to 765.
    const __m256i sum = _mm256_add_epi16(_mm256_add_epi16(b, g), r);
    const __m256i grey = _mm256_mulhi_epu16(sum, _mm256_set1_epi16(21846));
    b = SaturateChannel(b, grey, f);
    g = SaturateChannel(g, grey, f);
    r = SaturateChannel(r, grey, f);
}

[[gnu::target("avx2")]] void Avx2Saturation(const Band& band, int amount) {
    if (amount < -kSaturationExactLimit || amount > kSaturationExactLimit) {
        PlainKernels().saturation(band, amount); // the product wraps; rare enough for plain code
        return;
    }
    const int magnitude = amount < 0 ? -amount : amount;
    const int quotient = magnitude / 255;
    SaturationFactors f;
    f.quotient = _mm256_set1_epi16(static_cast<short>(quotient < 256 ? quotient : 256));
    f.remainder = _mm256_set1_epi16(static_cast<short>(magnitude % 255));
    f.sign = _mm256_set1_epi16(amount < 0 ? -1 : 1);
    const __m256i zero = _mm256_setzero_si256();
    for (int y = 0; y < band.rows; ++y) {
        const std::uint8_t* src = band.src + y * band.srcStride;
        std::uint8_t* dst = band.dst + y * band.dstStride;
        int x = 0;
        for (; x + 32 <= band.width; x += 32, src += 96, dst += 96) {
            const Block block = LoadBlock(src);
            const __m256i b = Channel(block, 0);
            const __m256i g = Channel(block, 1);
            const __m256i r = Channel(block, 2);
            __m256i bLow = _mm256_unpacklo_epi8(b, zero);
            __m256i gLow = _mm256_unpacklo_epi8(g, zero);
            __m256i rLow = _mm256_unpacklo_epi8(r, zero);
            __m256i bHigh = _mm256_unpackhi_epi8(b, zero);
            __m256i gHigh = _mm256_unpackhi_epi8(g, zero);
            __m256i rHigh = _mm256_unpackhi_epi8(r, zero);
            SaturateHalf(bLow, gLow, rLow, f);
            SaturateHalf(bHigh, gHigh, rHigh, f);
            // Unsigned saturation is the clamp to 0 .. 255.
            StoreBlock(dst, Join(_mm256_packus_epi16(bLow, bHigh), _mm256_packus_epi16(gLow, gHigh),
                                 _mm256_packus_epi16(rLow, rHigh)));
        }
        SaturationRow(src, dst, band.width - x, amount);
    }
}

// --- noise ---

// 32 consecutive draws in four vectors of 8 seeds; lane j of vector v holds
// the seed of draw 8v + j. All 32 seeds jump 32 steps at once.
class DrawBlock {
public:
    [[gnu::target("avx2")]] explicit DrawBlock(int amount)
        : mAmount(_mm256_set1_epi32(amount)), mHalf(_mm256_set1_epi32(amount >> 1)) {
        alignas(32) std::uint32_t a[32];
        alignas(32) std::uint32_t c[32];
        std::uint32_t stepA = 1u;
        std::uint32_t stepC = 0u;
        for (int i = 0; i < 32; ++i) {
            stepA *= kRandMultiplier; // the map of i + 1 steps: s -> stepA s + stepC
            stepC = stepC * kRandMultiplier + 1u;
            a[i] = stepA;
            c[i] = stepC;
        }
        for (int v = 0; v < 4; ++v) {
            mOffsetA[v] = _mm256_load_si256(reinterpret_cast<const __m256i*>(a + 8 * v));
            mOffsetC[v] = _mm256_load_si256(reinterpret_cast<const __m256i*>(c + 8 * v));
        }
        mJumpA = a[31];
        mJumpC = c[31];
    }

    // Seeds for the 32 draws that follow `seed`.
    [[gnu::target("avx2")]] void Start(std::uint32_t seed) {
        const __m256i s = _mm256_set1_epi32(static_cast<int>(seed));
        for (int v = 0; v < 4; ++v) {
            mSeeds[v] = _mm256_add_epi32(_mm256_mullo_epi32(s, mOffsetA[v]), mOffsetC[v]);
        }
    }

    // random(amount) - half(amount) for the 32 draws, as bytes of the positive
    // and of the negative part, each clamped to 0 .. 255, in draw order; then
    // moves on 32 draws, and `seed` with them.
    [[gnu::target("avx2")]] void Next(__m256i& up, __m256i& down, std::uint32_t& seed) {
        __m256i n[4];
        const __m256i jumpA = _mm256_set1_epi32(static_cast<int>(mJumpA));
        const __m256i jumpC = _mm256_set1_epi32(static_cast<int>(mJumpC));
        for (int v = 0; v < 4; ++v) {
            // High 32 bits of seed * amount, even and odd lanes separately.
            const __m256i even = _mm256_srli_epi64(_mm256_mul_epu32(mSeeds[v], mAmount), 32);
            const __m256i odd = _mm256_mul_epu32(_mm256_srli_epi64(mSeeds[v], 32), mAmount);
            n[v] = _mm256_sub_epi32(_mm256_blend_epi32(even, odd, 0xAA), mHalf);
            mSeeds[v] = _mm256_add_epi32(_mm256_mullo_epi32(mSeeds[v], jumpA), jumpC);
        }
        seed = seed * mJumpA + mJumpC;
        const __m256i n01 = _mm256_packs_epi32(n[0], n[1]);
        const __m256i n23 = _mm256_packs_epi32(n[2], n[3]);
        const __m256i zero = _mm256_setzero_si256();
        // The packs interleave 4-draw groups across the lanes; this puts them back.
        const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
        up = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(n01, n23), order);
        down = _mm256_permutevar8x32_epi32(
            _mm256_packus_epi16(_mm256_subs_epi16(zero, n01), _mm256_subs_epi16(zero, n23)), order);
    }

private:
    __m256i mAmount;
    __m256i mHalf;
    __m256i mOffsetA[4];
    __m256i mOffsetC[4];
    __m256i mSeeds[4];
    std::uint32_t mJumpA;
    std::uint32_t mJumpC;
};

// clamp(c + n) as (c +sat up) -sat down, one of up and down being zero. Equal
// to the plain wrapping sum as long as c + random - half stays in 32 bits,
// which holds for every amount >= 0; negative amounts take the plain loop.
[[gnu::target("avx2")]] inline __m256i AddSplitNoise(__m256i c, __m256i up, __m256i down) {
    return _mm256_subs_epu8(_mm256_adds_epu8(c, up), down);
}

[[gnu::target("avx2")]] void Avx2ColorNoise(const Band& band, int amount, std::uint32_t seed) {
    if (amount < 0) {
        PlainKernels().colorNoise(band, amount, seed);
        return;
    }
    DrawBlock draws(amount);
    const int bytes = band.width * 3;
    for (int y = 0; y < band.rows; ++y) {
        const std::uint8_t* src = band.src + y * band.srcStride;
        std::uint8_t* dst = band.dst + y * band.dstStride;
        int i = 0;
        draws.Start(seed);
        for (; i + 32 <= bytes; i += 32) {
            __m256i up;
            __m256i down;
            draws.Next(up, down, seed);
            const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), AddSplitNoise(c, up, down));
        }
        ColorNoiseRow(src + i, dst + i, bytes - i, amount, seed);
    }
}

[[gnu::target("avx2")]] void Avx2MonoNoise(const Band& band, int amount, std::uint32_t seed) {
    if (amount < 0) {
        PlainKernels().monoNoise(band, amount, seed);
        return;
    }
    DrawBlock draws(amount);
    for (int y = 0; y < band.rows; ++y) {
        const std::uint8_t* src = band.src + y * band.srcStride;
        std::uint8_t* dst = band.dst + y * band.dstStride;
        int x = 0;
        draws.Start(seed);
        for (; x + 32 <= band.width; x += 32, src += 96, dst += 96) {
            __m256i up;
            __m256i down;
            draws.Next(up, down, seed);
            const Block block = LoadBlock(src);
            const Block upBlock = Spread(up);
            const Block downBlock = Spread(down);
            Block result;
            for (int k = 0; k < 3; ++k) {
                result.part[k] = AddSplitNoise(block.part[k], upBlock.part[k], downBlock.part[k]);
            }
            StoreBlock(dst, result);
        }
        MonoNoiseRow(src, dst, band.width - x, amount, seed);
    }
}

bool HasAvx2() {
    return __builtin_cpu_supports("avx2");
}

Kernels MakeAvx2Kernels() {
    Kernels kernels = PlainKernels();
    kernels.grey = Avx2Grey;
    kernels.solarize = Avx2Solarize;
    kernels.saturation = Avx2Saturation;
    kernels.colorNoise = Avx2ColorNoise;
    kernels.monoNoise = Avx2MonoNoise;
    return kernels;
}

} // namespace

const Kernels* Avx2Kernels() {
    static const Kernels kernels = MakeAvx2Kernels();
    return HasAvx2() ? &kernels : nullptr;
}

} // namespace pixmoth::colour

#else

namespace pixmoth::colour {

const Kernels* Avx2Kernels() {
    return nullptr;
}

} // namespace pixmoth::colour

#endif
