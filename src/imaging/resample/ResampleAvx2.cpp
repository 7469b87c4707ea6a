// The resampling passes with AVX2, eight lanes (compiled with -mavx2 and
// without FMA; see CMakeLists and ResampleVectorPasses.h).
#include "imaging/resample/ResampleVectorPasses.h"

namespace pixmoth::resample {

namespace {

struct Avx2Lanes {
    using Vec = __m256;
    static constexpr int kLanes = 8;

    static Vec Zero() { return _mm256_setzero_ps(); }
    static Vec Broadcast(const float* w) { return _mm256_broadcast_ss(w); }
    static Vec Load(const float* p) { return _mm256_load_ps(p); }
    static Vec Add(Vec a, Vec b) { return _mm256_add_ps(a, b); }
    static Vec Mul(Vec a, Vec b) { return _mm256_mul_ps(a, b); }

    // Clamped to 0 .. 255 before rounding: the same as the scalar "above 255 is
    // 255, below 0 is 0, otherwise round", and safe from integer overflow.
    static Vec Clamp(Vec sum) {
        return _mm256_min_ps(_mm256_max_ps(sum, _mm256_setzero_ps()), _mm256_set1_ps(255.0f));
    }
    static Vec ClampRound(Vec sum) {
        return _mm256_round_ps(Clamp(sum), _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    }

    static void StoreEightBytes(float* to, __m128i eightBytes) {
        _mm256_store_ps(to, _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(eightBytes)));
    }

    // Values begin .. end - 1 of eight rows go to the block as floats, value p of
    // row r at (p mod window) * 8 + r. `begin` is a multiple of kBlockChunk.
    static void TransposeRange(const std::uint8_t* const* rows, int begin, int end, int window,
                               float* block) {
        int p = begin;
        for (; p + kBlockChunk <= end; p += kBlockChunk) {
            __m128i r[8];
            for (int k = 0; k < 8; ++k) {
                r[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k] + p));
            }
            // Bytes of rows 0 and 1 interleaved, then pairs of rows, then quads:
            // c[k] ends up holding values p + 2k and p + 2k + 1 of all eight rows.
            const __m128i a0 = _mm_unpacklo_epi8(r[0], r[1]);
            const __m128i a1 = _mm_unpackhi_epi8(r[0], r[1]);
            const __m128i a2 = _mm_unpacklo_epi8(r[2], r[3]);
            const __m128i a3 = _mm_unpackhi_epi8(r[2], r[3]);
            const __m128i a4 = _mm_unpacklo_epi8(r[4], r[5]);
            const __m128i a5 = _mm_unpackhi_epi8(r[4], r[5]);
            const __m128i a6 = _mm_unpacklo_epi8(r[6], r[7]);
            const __m128i a7 = _mm_unpackhi_epi8(r[6], r[7]);
            const __m128i b0 = _mm_unpacklo_epi16(a0, a2);
            const __m128i b1 = _mm_unpackhi_epi16(a0, a2);
            const __m128i b2 = _mm_unpacklo_epi16(a1, a3);
            const __m128i b3 = _mm_unpackhi_epi16(a1, a3);
            const __m128i b4 = _mm_unpacklo_epi16(a4, a6);
            const __m128i b5 = _mm_unpackhi_epi16(a4, a6);
            const __m128i b6 = _mm_unpacklo_epi16(a5, a7);
            const __m128i b7 = _mm_unpackhi_epi16(a5, a7);
            const __m128i c[8] = {_mm_unpacklo_epi32(b0, b4), _mm_unpackhi_epi32(b0, b4),
                                  _mm_unpacklo_epi32(b1, b5), _mm_unpackhi_epi32(b1, b5),
                                  _mm_unpacklo_epi32(b2, b6), _mm_unpackhi_epi32(b2, b6),
                                  _mm_unpacklo_epi32(b3, b7), _mm_unpackhi_epi32(b3, b7)};
            float* out = block + static_cast<std::ptrdiff_t>(p % window) * kLanes;
            for (int k = 0; k < 8; ++k) {
                StoreEightBytes(out + (2 * k) * kLanes, c[k]);
                StoreEightBytes(out + (2 * k + 1) * kLanes, _mm_unpackhi_epi64(c[k], c[k]));
            }
        }
        TransposeTail<kLanes>(rows, p, end, window, block);
    }

    // Lanes back to rows, eight values at a time.
    static void StoreRows(const Vec sums[24], float* const* workRows, std::ptrdiff_t offset) {
        for (int part = 0; part < 3; ++part) {
            __m256 square[8];
            for (int k = 0; k < 8; ++k) {
                square[k] = sums[8 * part + k];
            }
            Transpose8x8(square);
            for (int lane = 0; lane < kLanes; ++lane) {
                _mm256_storeu_ps(workRows[lane] + offset + 8 * part, square[lane]);
            }
        }
    }

    static void StoreBytes(const Vec sums[4], std::uint8_t* out) {
        const __m256i i0 = _mm256_cvtps_epi32(Clamp(sums[0]));
        const __m256i i1 = _mm256_cvtps_epi32(Clamp(sums[1]));
        const __m256i i2 = _mm256_cvtps_epi32(Clamp(sums[2]));
        const __m256i i3 = _mm256_cvtps_epi32(Clamp(sums[3]));
        // The packs work within 128-bit halves; the permutation restores the order.
        const __m256i words01 = _mm256_packs_epi32(i0, i1);
        const __m256i words23 = _mm256_packs_epi32(i2, i3);
        const __m256i bytes = _mm256_packus_epi16(words01, words23);
        _mm256_storeu_si256(
            reinterpret_cast<__m256i*>(out),
            _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7)));
    }
};

} // namespace

const PassSet& Avx2Passes() {
    return VectorPasses<Avx2Lanes>();
}

} // namespace pixmoth::resample
