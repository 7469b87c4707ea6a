// The passes with AVX2 (compiled with -mavx2 and without FMA; see CMakeLists).
//
// Horizontal: eight source rows at a time, one row per vector lane. All eight
// rows share the column's contributor list, so every tap is one broadcast
// weight times eight values, and each lane adds its own sum in list order. The
// rows are first turned into a column-major float block (value p of row r at
// p * 8 + r), then the sums of eight output columns are turned back into rows.
//
// Vertical: one output row at a time, 32 output values side by side, tap after
// tap down the contributing work rows.
#include <immintrin.h>

#include <cstring>

#include "imaging/ResamplePasses.h"

namespace pixmoth::resample {

namespace {

constexpr int kLanes = 8;
constexpr int kColumnGroup = 8; // output columns per transposed store: 24 values
constexpr int kValueGroup = 32;

// Clamped to 0 .. 255 before rounding: the same as the scalar "above 255 is
// 255, below 0 is 0, otherwise round", and safe from integer overflow.
inline __m256 ClampRound(__m256 sum) {
    const __m256 clamped =
        _mm256_min_ps(_mm256_max_ps(sum, _mm256_setzero_ps()), _mm256_set1_ps(255.0f));
    return _mm256_round_ps(clamped, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
}

// Rows r[0..7] become columns: on return r[k] holds element k of every input.
inline void Transpose8x8(__m256 r[8]) {
    const __m256 t0 = _mm256_unpacklo_ps(r[0], r[1]);
    const __m256 t1 = _mm256_unpackhi_ps(r[0], r[1]);
    const __m256 t2 = _mm256_unpacklo_ps(r[2], r[3]);
    const __m256 t3 = _mm256_unpackhi_ps(r[2], r[3]);
    const __m256 t4 = _mm256_unpacklo_ps(r[4], r[5]);
    const __m256 t5 = _mm256_unpackhi_ps(r[4], r[5]);
    const __m256 t6 = _mm256_unpacklo_ps(r[6], r[7]);
    const __m256 t7 = _mm256_unpackhi_ps(r[6], r[7]);
    const __m256 s0 = _mm256_shuffle_ps(t0, t2, 0x44);
    const __m256 s1 = _mm256_shuffle_ps(t0, t2, 0xEE);
    const __m256 s2 = _mm256_shuffle_ps(t1, t3, 0x44);
    const __m256 s3 = _mm256_shuffle_ps(t1, t3, 0xEE);
    const __m256 s4 = _mm256_shuffle_ps(t4, t6, 0x44);
    const __m256 s5 = _mm256_shuffle_ps(t4, t6, 0xEE);
    const __m256 s6 = _mm256_shuffle_ps(t5, t7, 0x44);
    const __m256 s7 = _mm256_shuffle_ps(t5, t7, 0xEE);
    r[0] = _mm256_permute2f128_ps(s0, s4, 0x20);
    r[1] = _mm256_permute2f128_ps(s1, s5, 0x20);
    r[2] = _mm256_permute2f128_ps(s2, s6, 0x20);
    r[3] = _mm256_permute2f128_ps(s3, s7, 0x20);
    r[4] = _mm256_permute2f128_ps(s0, s4, 0x31);
    r[5] = _mm256_permute2f128_ps(s1, s5, 0x31);
    r[6] = _mm256_permute2f128_ps(s2, s6, 0x31);
    r[7] = _mm256_permute2f128_ps(s3, s7, 0x31);
}

inline void StoreBytesAsFloats(float* to, __m128i eightBytes) {
    _mm256_store_ps(to, _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(eightBytes)));
}

// Values begin .. end - 1 of the rows go to the block as floats, value p of
// row r at (p mod window) * 8 + r. `begin` is a multiple of kBlockChunk.
void TransposeRange(const std::uint8_t* const* rows, int begin, int end, int window, float* block) {
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
            StoreBytesAsFloats(out + (2 * k) * kLanes, c[k]);
            StoreBytesAsFloats(out + (2 * k + 1) * kLanes, _mm_unpackhi_epi64(c[k], c[k]));
        }
    }
    for (; p < end; ++p) {
        for (int k = 0; k < kLanes; ++k) {
            block[static_cast<std::ptrdiff_t>(p % window) * kLanes + k] = rows[k][p];
        }
    }
}

std::size_t HorizontalScratch(int window) {
    return static_cast<std::size_t>(window) * kLanes;
}

void Horizontal(const HorizontalJob& job) {
    float* block = job.scratch;
    // A local copy: the block's vector stores could alias the job's pointers.
    const std::uint8_t* rows[kLanes];
    for (int k = 0; k < kLanes; ++k) {
        rows[k] = job.sourceRows[k];
    }
    const HorizontalPlan& plan = job.plan;
    const int taps = plan.taps;
    int filled = 0;
    for (int group = 0; group < plan.columns; group += kColumnGroup) {
        const int needed = plan.groupEnd[group / kColumnGroup];
        if (needed > filled) {
            TransposeRange(rows, filled, needed, plan.window, block);
            filled = needed;
        }
        // 24 sums of eight lanes: values 3i .. 3i + 2 of the group's columns.
        __m256 sums[kColumnGroup * 3];
        // Two columns at a time: six independent sums hide the adder's latency.
        for (int i = 0; i < kColumnGroup; i += 2) {
            const std::ptrdiff_t base = static_cast<std::ptrdiff_t>(group + i) * taps;
            const int* positionA = plan.slot + base;
            const float* weightA = plan.weight + base;
            const int* positionB = positionA + taps;
            const float* weightB = weightA + taps;
            __m256 a0 = _mm256_setzero_ps();
            __m256 a1 = _mm256_setzero_ps();
            __m256 a2 = _mm256_setzero_ps();
            __m256 b0 = _mm256_setzero_ps();
            __m256 b1 = _mm256_setzero_ps();
            __m256 b2 = _mm256_setzero_ps();
            for (int t = 0; t < taps; ++t) {
                const float* va = block + static_cast<std::ptrdiff_t>(positionA[t]) * kLanes;
                const float* vb = block + static_cast<std::ptrdiff_t>(positionB[t]) * kLanes;
                const __m256 wa = _mm256_broadcast_ss(weightA + t);
                const __m256 wb = _mm256_broadcast_ss(weightB + t);
                a0 = _mm256_add_ps(a0, _mm256_mul_ps(_mm256_load_ps(va), wa));
                a1 = _mm256_add_ps(a1, _mm256_mul_ps(_mm256_load_ps(va + 8), wa));
                a2 = _mm256_add_ps(a2, _mm256_mul_ps(_mm256_load_ps(va + 16), wa));
                b0 = _mm256_add_ps(b0, _mm256_mul_ps(_mm256_load_ps(vb), wb));
                b1 = _mm256_add_ps(b1, _mm256_mul_ps(_mm256_load_ps(vb + 8), wb));
                b2 = _mm256_add_ps(b2, _mm256_mul_ps(_mm256_load_ps(vb + 16), wb));
            }
            sums[3 * i] = ClampRound(a0);
            sums[3 * i + 1] = ClampRound(a1);
            sums[3 * i + 2] = ClampRound(a2);
            sums[3 * i + 3] = ClampRound(b0);
            sums[3 * i + 4] = ClampRound(b1);
            sums[3 * i + 5] = ClampRound(b2);
        }
        // Lanes back to rows, eight values at a time.
        const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(group) * 3;
        for (int part = 0; part < 3; ++part) {
            __m256* square = sums + 8 * part;
            Transpose8x8(square);
            for (int lane = 0; lane < kLanes; ++lane) {
                _mm256_storeu_ps(job.workRows[lane] + offset + 8 * part, square[lane]);
            }
        }
    }
}

// Four vectors of sums to 32 bytes, in order.
inline __m256i PackBytes(__m256 s0, __m256 s1, __m256 s2, __m256 s3) {
    const __m256 zero = _mm256_setzero_ps();
    const __m256 top = _mm256_set1_ps(255.0f);
    const __m256i i0 = _mm256_cvtps_epi32(_mm256_min_ps(_mm256_max_ps(s0, zero), top));
    const __m256i i1 = _mm256_cvtps_epi32(_mm256_min_ps(_mm256_max_ps(s1, zero), top));
    const __m256i i2 = _mm256_cvtps_epi32(_mm256_min_ps(_mm256_max_ps(s2, zero), top));
    const __m256i i3 = _mm256_cvtps_epi32(_mm256_min_ps(_mm256_max_ps(s3, zero), top));
    // The packs work within 128-bit halves; the permutation restores the order.
    const __m256i words01 = _mm256_packs_epi32(i0, i1);
    const __m256i words23 = _mm256_packs_epi32(i2, i3);
    const __m256i bytes = _mm256_packus_epi16(words01, words23);
    return _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
}

inline __m256i VerticalGroup(const VerticalJob& job, int x) {
    __m256 s0 = _mm256_setzero_ps();
    __m256 s1 = _mm256_setzero_ps();
    __m256 s2 = _mm256_setzero_ps();
    __m256 s3 = _mm256_setzero_ps();
    for (int t = 0; t < job.count; ++t) {
        const float* row = job.rows[t] + x;
        const __m256 w = _mm256_broadcast_ss(job.weights + t);
        s0 = _mm256_add_ps(s0, _mm256_mul_ps(_mm256_load_ps(row), w));
        s1 = _mm256_add_ps(s1, _mm256_mul_ps(_mm256_load_ps(row + 8), w));
        s2 = _mm256_add_ps(s2, _mm256_mul_ps(_mm256_load_ps(row + 16), w));
        s3 = _mm256_add_ps(s3, _mm256_mul_ps(_mm256_load_ps(row + 24), w));
    }
    return PackBytes(s0, s1, s2, s3);
}

void Vertical(const VerticalJob& shared) {
    // A private copy: the byte stores below could alias the caller's job.
    const VerticalJob job = shared;
    int x = 0;
    for (; x + kValueGroup <= job.values; x += kValueGroup) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(job.out + x), VerticalGroup(job, x));
    }
    if (x < job.values) {
        alignas(32) std::uint8_t last[kValueGroup];
        _mm256_store_si256(reinterpret_cast<__m256i*>(last), VerticalGroup(job, x));
        std::memcpy(job.out + x, last, static_cast<std::size_t>(job.values - x));
    }
}

} // namespace

const PassSet& Avx2Passes() {
    static const PassSet passes{kLanes,     kColumnGroup, kValueGroup, HorizontalScratch,
                                Horizontal, Vertical};
    return passes;
}

} // namespace pixmoth::resample
