// The passes with AVX-512 (F, BW, DQ, VL; compiled without FMA and without
// contraction, see CMakeLists). The same scheme as the AVX2 passes with twice
// the lanes: sixteen source rows per horizontal block, 64 output values per
// vertical step. The gain is fewer instructions per value, as the floating-point
// units of some processors run a 512-bit operation as two 256-bit halves.
// GCC 12 warns about the deliberately undefined pass-through operands inside
// its own AVX-512 intrinsics (GCC bug 105593, fixed in GCC 13).
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>

#include <cstring>

#include "imaging/ResamplePasses.h"

namespace pixmoth::resample {

namespace {

constexpr int kLanes = 16;
constexpr int kColumnGroup = 8; // output columns per transposed store: 24 values
constexpr int kValueGroup = 64;

// Clamped to 0 .. 255 before rounding half to even: the same as the scalar
// "above 255 is 255, below 0 is 0, otherwise round".
inline __m512 ClampRound(__m512 sum) {
    const __m512 clamped =
        _mm512_min_ps(_mm512_max_ps(sum, _mm512_setzero_ps()), _mm512_set1_ps(255.0f));
    return _mm512_roundscale_ps(clamped, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
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

// Values begin .. end - 1 of the rows go to the block as floats, value p of
// row r at (p mod window) * 16 + r. `begin` is a multiple of kBlockChunk.
void TransposeRange(const std::uint8_t* const* rows, int begin, int end, int window, float* block) {
    int p = begin;
    for (; p + kBlockChunk <= end; p += kBlockChunk) {
        __m128i r[16];
        for (int k = 0; k < 16; ++k) {
            r[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k] + p));
        }
        // Bytes of row pairs interleaved: a[k] holds values 0..7 of rows 2k and
        // 2k + 1, a[k + 8] values 8..15.
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
                quad[k] = (g % 2 == 0) ? _mm_unpacklo_epi16(a[half + 2 * k], a[half + 2 * k + 1])
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
        // 24 sums of sixteen lanes: values 3i .. 3i + 2 of the group's columns.
        __m512 sums[kColumnGroup * 3];
        // Two columns at a time: six independent sums hide the adder's latency.
        for (int i = 0; i < kColumnGroup; i += 2) {
            const std::ptrdiff_t base = static_cast<std::ptrdiff_t>(group + i) * taps;
            const int* positionA = plan.slot + base;
            const float* weightA = plan.weight + base;
            const int* positionB = positionA + taps;
            const float* weightB = weightA + taps;
            __m512 a0 = _mm512_setzero_ps();
            __m512 a1 = _mm512_setzero_ps();
            __m512 a2 = _mm512_setzero_ps();
            __m512 b0 = _mm512_setzero_ps();
            __m512 b1 = _mm512_setzero_ps();
            __m512 b2 = _mm512_setzero_ps();
            for (int t = 0; t < taps; ++t) {
                const float* va = block + static_cast<std::ptrdiff_t>(positionA[t]) * kLanes;
                const float* vb = block + static_cast<std::ptrdiff_t>(positionB[t]) * kLanes;
                const __m512 wa = _mm512_set1_ps(weightA[t]);
                const __m512 wb = _mm512_set1_ps(weightB[t]);
                a0 = _mm512_add_ps(a0, _mm512_mul_ps(_mm512_load_ps(va), wa));
                a1 = _mm512_add_ps(a1, _mm512_mul_ps(_mm512_load_ps(va + 16), wa));
                a2 = _mm512_add_ps(a2, _mm512_mul_ps(_mm512_load_ps(va + 32), wa));
                b0 = _mm512_add_ps(b0, _mm512_mul_ps(_mm512_load_ps(vb), wb));
                b1 = _mm512_add_ps(b1, _mm512_mul_ps(_mm512_load_ps(vb + 16), wb));
                b2 = _mm512_add_ps(b2, _mm512_mul_ps(_mm512_load_ps(vb + 32), wb));
            }
            sums[3 * i] = ClampRound(a0);
            sums[3 * i + 1] = ClampRound(a1);
            sums[3 * i + 2] = ClampRound(a2);
            sums[3 * i + 3] = ClampRound(b0);
            sums[3 * i + 4] = ClampRound(b1);
            sums[3 * i + 5] = ClampRound(b2);
        }
        // Lanes back to rows, eight values and eight rows at a time.
        const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(group) * 3;
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
                _mm256_storeu_ps(job.workRows[lane] + offset + 8 * part, low[lane]);
                _mm256_storeu_ps(job.workRows[lane + 8] + offset + 8 * part, high[lane]);
            }
        }
    }
}

inline void StoreGroup(const VerticalJob& job, int x, std::uint8_t* out) {
    __m512 s[4] = {_mm512_setzero_ps(), _mm512_setzero_ps(), _mm512_setzero_ps(),
                   _mm512_setzero_ps()};
    for (int t = 0; t < job.count; ++t) {
        const float* row = job.rows[t] + x;
        const __m512 w = _mm512_set1_ps(job.weights[t]);
        s[0] = _mm512_add_ps(s[0], _mm512_mul_ps(_mm512_load_ps(row), w));
        s[1] = _mm512_add_ps(s[1], _mm512_mul_ps(_mm512_load_ps(row + 16), w));
        s[2] = _mm512_add_ps(s[2], _mm512_mul_ps(_mm512_load_ps(row + 32), w));
        s[3] = _mm512_add_ps(s[3], _mm512_mul_ps(_mm512_load_ps(row + 48), w));
    }
    const __m512 zero = _mm512_setzero_ps();
    const __m512 top = _mm512_set1_ps(255.0f);
    for (int k = 0; k < 4; ++k) {
        // Clamped first, so the rounded values fit a byte as they are.
        const __m512i whole = _mm512_cvtps_epi32(_mm512_min_ps(_mm512_max_ps(s[k], zero), top));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * k), _mm512_cvtepi32_epi8(whole));
    }
}

void Vertical(const VerticalJob& shared) {
    // A private copy: the byte stores below could alias the caller's job.
    const VerticalJob job = shared;
    int x = 0;
    for (; x + kValueGroup <= job.values; x += kValueGroup) {
        StoreGroup(job, x, job.out + x);
    }
    if (x < job.values) {
        std::uint8_t last[kValueGroup];
        StoreGroup(job, x, last);
        std::memcpy(job.out + x, last, static_cast<std::size_t>(job.values - x));
    }
}

} // namespace

const PassSet& Avx512Passes() {
    static const PassSet passes{kLanes,     kColumnGroup, kValueGroup, HorizontalScratch,
                                Horizontal, Vertical};
    return passes;
}

} // namespace pixmoth::resample
