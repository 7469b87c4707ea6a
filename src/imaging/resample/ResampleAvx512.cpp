// The resampling passes with AVX-512 (F, BW, DQ, VL), sixteen lanes; compiled
// without FMA and without contraction, see CMakeLists and
// ResampleVectorPasses.h. The gain over AVX2 is fewer instructions per value,
// as the floating-point units of some processors run a 512-bit operation as two
// 256-bit halves.

// GCC 12 warns about the deliberately undefined pass-through operands inside
// its own AVX-512 intrinsics (GCC bug 105593, fixed in GCC 13).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include "imaging/resample/ResampleVectorPasses.h"

namespace pixmoth::resample {

namespace {

struct Avx512Lanes {
    using Vec = __m512;
    static constexpr int kLanes = 16;

    static Vec Zero() { return _mm512_setzero_ps(); }
    static Vec Broadcast(const float* w) { return _mm512_set1_ps(*w); }
    static Vec Load(const float* p) { return _mm512_load_ps(p); }
    static Vec Add(Vec a, Vec b) { return _mm512_add_ps(a, b); }
    static Vec Mul(Vec a, Vec b) { return _mm512_mul_ps(a, b); }

    // Clamped to 0 .. 255 before rounding: the same as the scalar "above 255 is
    // 255, below 0 is 0, otherwise round", and safe from integer overflow.
    static Vec Clamp(Vec sum) {
        return _mm512_min_ps(_mm512_max_ps(sum, _mm512_setzero_ps()), _mm512_set1_ps(255.0f));
    }
    static Vec ClampRound(Vec sum) {
        return _mm512_roundscale_ps(Clamp(sum), _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    }

    // Values begin .. end - 1 of sixteen rows go to the block as floats, value p
    // of row r at (p mod window) * 16 + r. `begin` is a multiple of kBlockChunk.
    static void TransposeRange(const std::uint8_t* const* rows, int begin, int end, int window,
                               float* block) {
        int p = begin;
        for (; p + kBlockChunk <= end; p += kBlockChunk) {
            __m128i r[16];
            for (int k = 0; k < 16; ++k) {
                r[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k] + p));
            }
            // Bytes of row pairs interleaved: a[k] holds values 0..7 of rows 2k
            // and 2k + 1, a[k + 8] values 8..15.
            __m128i a[16];
            for (int k = 0; k < 8; ++k) {
                a[k] = _mm_unpacklo_epi8(r[2 * k], r[2 * k + 1]);
                a[k + 8] = _mm_unpackhi_epi8(r[2 * k], r[2 * k + 1]);
            }
            float* out = block + static_cast<std::ptrdiff_t>(p % window) * kLanes;
            // Four values 4g .. 4g + 3 at a time.
            for (int g = 0; g < 4; ++g) {
                const int half = 8 * (g / 2);
                // quad[k]: the four values, each as rows 4k .. 4k + 3.
                __m128i quad[4];
                for (int k = 0; k < 4; ++k) {
                    quad[k] = (g % 2 == 0)
                                  ? _mm_unpacklo_epi16(a[half + 2 * k], a[half + 2 * k + 1])
                                  : _mm_unpackhi_epi16(a[half + 2 * k], a[half + 2 * k + 1]);
                }
                // Values 4g, 4g + 1 (low) and 4g + 2, 4g + 3 (high), rows 0..7 and 8..15.
                const __m128i low07 = _mm_unpacklo_epi32(quad[0], quad[1]);
                const __m128i high07 = _mm_unpackhi_epi32(quad[0], quad[1]);
                const __m128i low815 = _mm_unpacklo_epi32(quad[2], quad[3]);
                const __m128i high815 = _mm_unpackhi_epi32(quad[2], quad[3]);
                const __m128i values[4] = {
                    _mm_unpacklo_epi64(low07, low815), _mm_unpackhi_epi64(low07, low815),
                    _mm_unpacklo_epi64(high07, high815), _mm_unpackhi_epi64(high07, high815)};
                for (int v = 0; v < 4; ++v) {
                    _mm512_store_ps(out + (4 * g + v) * kLanes,
                                    _mm512_cvtepi32_ps(_mm512_cvtepu8_epi32(values[v])));
                }
            }
        }
        TransposeTail<kLanes>(rows, p, end, window, block);
    }

    // Lanes back to rows, eight values and eight rows at a time.
    static void StoreRows(const Vec sums[24], float* const* workRows, std::ptrdiff_t offset) {
        for (int part = 0; part < 3; ++part) {
            __m256 low[8];
            __m256 high[8];
            for (int k = 0; k < 8; ++k) {
                low[k] = _mm512_castps512_ps256(sums[8 * part + k]);
                high[k] = _mm512_extractf32x8_ps(sums[8 * part + k], 1);
            }
            Transpose8x8(low);
            Transpose8x8(high);
            for (int lane = 0; lane < 8; ++lane) {
                _mm256_storeu_ps(workRows[lane] + offset + 8 * part, low[lane]);
                _mm256_storeu_ps(workRows[lane + 8] + offset + 8 * part, high[lane]);
            }
        }
    }

    static void StoreBytes(const Vec sums[4], std::uint8_t* out) {
        for (int k = 0; k < 4; ++k) {
            // Clamped first, so the rounded values fit a byte as they are.
            const __m512i whole = _mm512_cvtps_epi32(Clamp(sums[k]));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * k), _mm512_cvtepi32_epi8(whole));
        }
    }
};

} // namespace

const PassSet& Avx512Passes() {
    return VectorPasses<Avx512Lanes>();
}

} // namespace pixmoth::resample
