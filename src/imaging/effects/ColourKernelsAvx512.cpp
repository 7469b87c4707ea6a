#include "imaging/effects/ColourKernels.h"

// x86 only; elsewhere the set does not exist.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

// AVX-512 loops (with the VBMI byte permutes) for tone and grey; the rest of the
// set is the AVX2 one. Exact as the AVX2 loops are, and checked the same way.
namespace pixmoth::colour {

namespace {

// --- tone ---

// A 256-entry byte table is four 64-byte registers; two two-register permutes
// look up the low and the high half, and the index's top bit picks one.
[[gnu::target("avx512f,avx512bw,avx512vbmi")]] void Avx512Tone(const Band& band,
                                                               const ToneMap& map) {
    const __m512i t0 = _mm512_loadu_si512(map.level);
    const __m512i t1 = _mm512_loadu_si512(map.level + 64);
    const __m512i t2 = _mm512_loadu_si512(map.level + 128);
    const __m512i t3 = _mm512_loadu_si512(map.level + 192);
    // 64 = 1 (mod 3): the vector at byte 64 v starts with channel v mod 3.
    __m512i channelMasks[3];
    for (int phase = 0; phase < 3; ++phase) {
        alignas(64) std::uint8_t bytes[64];
        for (int i = 0; i < 64; ++i) {
            bytes[i] = map.channelMask[(phase + i) % 3];
        }
        channelMasks[phase] = _mm512_load_si512(bytes);
    }
    const int rowBytes = band.width * 3;
    for (int y = 0; y < band.rows; ++y) {
        const std::uint8_t* src = band.src + y * band.srcStride;
        std::uint8_t* dst = band.dst + y * band.dstStride;
        int phase = 0;
        for (int i = 0; i < rowBytes; i += 64, phase = phase == 2 ? 0 : phase + 1) {
            const int left = rowBytes - i;
            // The row's last vector is masked so that the padding is neither read nor written.
            const __mmask64 lanes = left >= 64 ? ~__mmask64{0} : (__mmask64{1} << left) - 1;
            const __m512i x = _mm512_maskz_loadu_epi8(lanes, src + i);
            const __m512i low = _mm512_permutex2var_epi8(t0, x, t1);
            const __m512i high = _mm512_permutex2var_epi8(t2, x, t3);
            const __m512i level = _mm512_mask_blend_epi8(_mm512_movepi8_mask(x), low, high);
            _mm512_mask_storeu_epi8(dst + i, lanes, _mm512_and_si512(level, channelMasks[phase]));
        }
    }
}

// --- grey scale ---

// GCC 12 reports its own AVX-512 intrinsics' _mm512_undefined_* placeholders as
// maybe uninitialized once they are inlined (GCC bug 105593, fixed in GCC 13).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// Byte permutes with a zeroing mask take one channel of 16 pixels straight into
// 32-bit lanes, and others put the greys back into all three channels; the
// double arithmetic is the plain loop's, 8 lanes wide. The main loop moves 64 pixels
// as three whole 64-byte vectors: masked accesses that overlap one another
// defeat store forwarding and ran slower than the AVX2 loop.
struct PermuteIndex {
    alignas(64) std::uint8_t byte[64];
};

// Channel `channel` of 16 pixels starting at byte `first` of a 128-byte window.
constexpr PermuteIndex ChannelIndex(int channel, int first) {
    PermuteIndex index{};
    for (int i = 0; i < 16; ++i) {
        index.byte[4 * i] = static_cast<std::uint8_t>(first + 3 * i + channel);
    }
    return index;
}

// Bytes 64 part .. 64 part + 63 of 64 pixels from their 64 greys.
constexpr PermuteIndex SpreadIndex(int part) {
    PermuteIndex index{};
    for (int j = 0; j < 64; ++j) {
        index.byte[j] = static_cast<std::uint8_t>((64 * part + j) / 3);
    }
    return index;
}

// 16-pixel group g of 64 starts at byte 48 g: in the window of vectors 0 and 1
// for groups 0 and 1, of vectors 1 and 2 (from byte 64) for groups 2 and 3.
constexpr PermuteIndex kChannelIndex[4][3] = {
    {ChannelIndex(0, 0), ChannelIndex(1, 0), ChannelIndex(2, 0)},
    {ChannelIndex(0, 48), ChannelIndex(1, 48), ChannelIndex(2, 48)},
    {ChannelIndex(0, 32), ChannelIndex(1, 32), ChannelIndex(2, 32)},
    {ChannelIndex(0, 80), ChannelIndex(1, 80), ChannelIndex(2, 80)},
};
constexpr PermuteIndex kSpreadIndex[3] = {SpreadIndex(0), SpreadIndex(1), SpreadIndex(2)};
constexpr __mmask64 kLowBytesOfDwords = 0x1111111111111111ull;

[[gnu::target("avx512f,avx512bw,avx512vbmi")]] inline __m512d Weighted(__m512i channel, int half,
                                                                       double weight) {
    const __m256i lanes =
        half == 0 ? _mm512_castsi512_si256(channel) : _mm512_extracti64x4_epi64(channel, 1);
    return _mm512_mul_pd(_mm512_cvtepi32_pd(lanes), _mm512_set1_pd(weight));
}

// Greys of 16 pixels whose channels are in the low bytes of the 32-bit lanes.
[[gnu::target("avx512f,avx512bw,avx512vbmi")]] inline __m128i GreyOf16(__m512i b, __m512i g,
                                                                       __m512i r) {
    __m256i grey[2];
    for (int half = 0; half < 2; ++half) {
        // (B * 0.30 + G * 0.59) + R * 0.11, rounded to nearest even.
        const __m512d sum =
            _mm512_add_pd(_mm512_add_pd(Weighted(b, half, 0.30), Weighted(g, half, 0.59)),
                          Weighted(r, half, 0.11));
        grey[half] = _mm512_cvtpd_epi32(sum);
    }
    return _mm512_cvtepi32_epi8(_mm512_inserti64x4(_mm512_castsi256_si512(grey[0]), grey[1], 1));
}

[[gnu::target("avx512f,avx512bw,avx512vbmi")]] inline __m128i
GreyOfGroup(__m512i low, __m512i high, const PermuteIndex (&index)[3]) {
    __m512i channel[3];
    for (int k = 0; k < 3; ++k) {
        channel[k] = _mm512_maskz_permutex2var_epi8(kLowBytesOfDwords, low,
                                                    _mm512_load_si512(index[k].byte), high);
    }
    return GreyOf16(channel[0], channel[1], channel[2]);
}

[[gnu::target("avx512f,avx512bw,avx512vbmi")]] void Avx512Grey(const Band& band) {
    for (int y = 0; y < band.rows; ++y) {
        const std::uint8_t* src = band.src + y * band.srcStride;
        std::uint8_t* dst = band.dst + y * band.dstStride;
        int x = 0;
        for (; x + 64 <= band.width; x += 64, src += 192, dst += 192) {
            const __m512i v0 = _mm512_loadu_si512(src);
            const __m512i v1 = _mm512_loadu_si512(src + 64);
            const __m512i v2 = _mm512_loadu_si512(src + 128);
            __m512i greys = _mm512_castsi128_si512(GreyOfGroup(v0, v1, kChannelIndex[0]));
            greys = _mm512_inserti32x4(greys, GreyOfGroup(v0, v1, kChannelIndex[1]), 1);
            greys = _mm512_inserti32x4(greys, GreyOfGroup(v1, v2, kChannelIndex[2]), 2);
            greys = _mm512_inserti32x4(greys, GreyOfGroup(v1, v2, kChannelIndex[3]), 3);
            for (int part = 0; part < 3; ++part) {
                const __m512i index = _mm512_load_si512(kSpreadIndex[part].byte);
                _mm512_storeu_si512(dst + 64 * part, _mm512_permutexvar_epi8(index, greys));
            }
        }
        // The tail, 16 pixels at a time with masked accesses, so the row padding
        // is neither read nor written.
        for (; x < band.width; x += 16, src += 48, dst += 48) {
            const int pixels = band.width - x < 16 ? band.width - x : 16;
            const __mmask64 bytes = (__mmask64{1} << (3 * pixels)) - 1;
            const __m512i block = _mm512_maskz_loadu_epi8(bytes, src);
            const __m128i greys = GreyOfGroup(block, block, kChannelIndex[0]);
            const __m512i index = _mm512_load_si512(kSpreadIndex[0].byte);
            _mm512_mask_storeu_epi8(dst, bytes,
                                    _mm512_permutexvar_epi8(index, _mm512_castsi128_si512(greys)));
        }
    }
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

bool HasAvx512Vbmi() {
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vbmi");
}

} // namespace

const Kernels* Avx512Kernels() {
    const Kernels* avx2 = Avx2Kernels();
    if (avx2 == nullptr || !HasAvx512Vbmi()) {
        return nullptr;
    }
    static const Kernels kernels = [avx2] {
        Kernels k = *avx2;
        k.tone = Avx512Tone;
        k.grey = Avx512Grey;
        return k;
    }();
    return &kernels;
}

} // namespace pixmoth::colour

#else

namespace pixmoth::colour {

const Kernels* Avx512Kernels() {
    return nullptr;
}

} // namespace pixmoth::colour

#endif
