#pragma once

// The vector passes, written once for any lane count. Each instruction-set file
// describes its vectors in a small traits struct and instantiates the passes
// with it. Everything here sits in an unnamed namespace and needs AVX: only
// files compiled for AVX2 or wider include it, and each gets its own copy, so
// code built for one instruction set is never linked into another's path.
//
// Horizontal: `Lanes::kLanes` source rows at a time, one row per vector lane.
// All rows share the column's contributor list, so every tap is one broadcast
// weight times a vector of values, and each lane adds its own sum in list
// order. The rows are first turned into a column-major block (see
// HorizontalPlan), then the sums of eight output columns are turned back into
// rows.
//
// Vertical: one output row at a time, four vectors of output values side by
// side, tap after tap down the contributing work rows.
//
// A Lanes struct provides: Vec, kLanes, Zero(), Broadcast(const float*),
// Load(const float*) (aligned), Add, Mul, ClampRound(Vec) (clamp to 0 .. 255,
// round half to even, still floats), TransposeRange(rows, begin, end, window,
// block), StoreRows(const Vec[24], float* const* workRows, offset) and
// StoreBytes(const Vec[4], std::uint8_t* out).
#include <immintrin.h>

#include <cstddef>
#include <cstring>

#include "imaging/resample/ResamplePasses.h"

namespace pixmoth::resample {

namespace {

constexpr int kColumnGroup = 8; // output columns per transposed store: 24 values

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

// The scalar tail of a transposition: values p .. end - 1 one by one.
template <int kLanes>
void TransposeTail(const std::uint8_t* const* rows, int p, int end, int window, float* block) {
    for (; p < end; ++p) {
        for (int k = 0; k < kLanes; ++k) {
            block[static_cast<std::ptrdiff_t>(p % window) * kLanes + k] = rows[k][p];
        }
    }
}

template <class Lanes>
std::size_t VectorHorizontalScratch(int window) {
    return static_cast<std::size_t>(window) * Lanes::kLanes;
}

template <class Lanes>
void VectorHorizontal(const HorizontalJob& job) {
    using Vec = typename Lanes::Vec;
    constexpr int kLanes = Lanes::kLanes;
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
            Lanes::TransposeRange(rows, filled, needed, plan.window, block);
            filled = needed;
        }
        // 24 sums: values 3i .. 3i + 2 of the group's columns.
        Vec sums[kColumnGroup * 3];
        // Two columns at a time: six independent sums hide the adder's latency.
        for (int i = 0; i < kColumnGroup; i += 2) {
            const std::ptrdiff_t base = static_cast<std::ptrdiff_t>(group + i) * taps;
            const int* slotA = plan.slot + base;
            const float* weightA = plan.weight + base;
            const int* slotB = slotA + taps;
            const float* weightB = weightA + taps;
            Vec a0 = Lanes::Zero();
            Vec a1 = Lanes::Zero();
            Vec a2 = Lanes::Zero();
            Vec b0 = Lanes::Zero();
            Vec b1 = Lanes::Zero();
            Vec b2 = Lanes::Zero();
            for (int t = 0; t < taps; ++t) {
                const float* va = block + static_cast<std::ptrdiff_t>(slotA[t]) * kLanes;
                const float* vb = block + static_cast<std::ptrdiff_t>(slotB[t]) * kLanes;
                const Vec wa = Lanes::Broadcast(weightA + t);
                const Vec wb = Lanes::Broadcast(weightB + t);
                a0 = Lanes::Add(a0, Lanes::Mul(Lanes::Load(va), wa));
                a1 = Lanes::Add(a1, Lanes::Mul(Lanes::Load(va + kLanes), wa));
                a2 = Lanes::Add(a2, Lanes::Mul(Lanes::Load(va + 2 * kLanes), wa));
                b0 = Lanes::Add(b0, Lanes::Mul(Lanes::Load(vb), wb));
                b1 = Lanes::Add(b1, Lanes::Mul(Lanes::Load(vb + kLanes), wb));
                b2 = Lanes::Add(b2, Lanes::Mul(Lanes::Load(vb + 2 * kLanes), wb));
            }
            sums[3 * i] = Lanes::ClampRound(a0);
            sums[3 * i + 1] = Lanes::ClampRound(a1);
            sums[3 * i + 2] = Lanes::ClampRound(a2);
            sums[3 * i + 3] = Lanes::ClampRound(b0);
            sums[3 * i + 4] = Lanes::ClampRound(b1);
            sums[3 * i + 5] = Lanes::ClampRound(b2);
        }
        Lanes::StoreRows(sums, job.workRows, static_cast<std::ptrdiff_t>(group) * 3);
    }
}

template <class Lanes>
inline void VerticalGroup(const VerticalJob& job, int x, std::uint8_t* out) {
    using Vec = typename Lanes::Vec;
    constexpr int kLanes = Lanes::kLanes;
    Vec s[4] = {Lanes::Zero(), Lanes::Zero(), Lanes::Zero(), Lanes::Zero()};
    for (int t = 0; t < job.count; ++t) {
        const float* row = job.rows[t] + x;
        const Vec w = Lanes::Broadcast(job.weights + t);
        s[0] = Lanes::Add(s[0], Lanes::Mul(Lanes::Load(row), w));
        s[1] = Lanes::Add(s[1], Lanes::Mul(Lanes::Load(row + kLanes), w));
        s[2] = Lanes::Add(s[2], Lanes::Mul(Lanes::Load(row + 2 * kLanes), w));
        s[3] = Lanes::Add(s[3], Lanes::Mul(Lanes::Load(row + 3 * kLanes), w));
    }
    Lanes::StoreBytes(s, out);
}

template <class Lanes>
void VectorVertical(const VerticalJob& shared) {
    constexpr int kGroup = 4 * Lanes::kLanes;
    // A private copy: the byte stores below could alias the caller's job.
    const VerticalJob job = shared;
    int x = 0;
    for (; x + kGroup <= job.values; x += kGroup) {
        VerticalGroup<Lanes>(job, x, job.out + x);
    }
    if (x < job.values) {
        std::uint8_t last[kGroup];
        VerticalGroup<Lanes>(job, x, last);
        std::memcpy(job.out + x, last, static_cast<std::size_t>(job.values - x));
    }
}

template <class Lanes>
const PassSet& VectorPasses() {
    static const PassSet passes{Lanes::kLanes,           kColumnGroup,
                                4 * Lanes::kLanes,       VectorHorizontalScratch<Lanes>,
                                VectorHorizontal<Lanes>, VectorVertical<Lanes>};
    return passes;
}

} // namespace

} // namespace pixmoth::resample
