#include "imaging/effects/TransformKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

// Block layout of the AVX2 transpose: an 8 x 8 block of 3-byte pixels, one
// 256-bit register per row.
//   load    lane 0 = bytes 0..15 of the row (pixels 0..3 in bytes 0..11),
//           lane 1 = bytes 8..23 (pixels 4..7 in bytes 4..15): two 16-byte loads
//           that stay inside the row's 24 bytes;
//   widen   one byte shuffle puts pixel k into 32-bit lane k;
//   turn    two rounds of unpacks (32 then 64 bits) leave register k with
//           pixel k of rows 0..3 in its low half and pixel k + 4 in its high
//           half, register k + 4 the same for rows 4..7;
//   narrow  a byte shuffle packs each half's four pixels into its bytes 0..11.
// Destination row k then takes 12 bytes from the low halves of registers k and
// k + 4, row k + 4 from their high halves: two 16-byte stores 12 bytes apart, the
// 4 bytes after each overwritten by the next store or by the next block of the
// same rows. The band's last block joins the halves into 24 bytes instead (one
// lane permute) and stores them exactly, so nothing outside the band is touched.
namespace pixmoth {

namespace {

struct Avx2Masks {
    __m256i widen;
    __m256i narrow;
    __m256i join;
};

__attribute__((target("avx2"), always_inline)) inline Avx2Masks MakeMasks() {
    return {_mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, //
                             4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1),
            _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, //
                             0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1),
            _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7)};
}

__attribute__((target("avx2"), always_inline)) inline __m256i LoadRow(const std::uint8_t* row,
                                                                      const Avx2Masks& masks) {
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 8));
    return _mm256_shuffle_epi8(_mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1),
                               masks.widen);
}

// Destination rows j and j + 4 from `low` (pixel j and j + 4 of source rows 0..3
// in its two halves) and `high` (the same of rows 4..7). Each half's four pixels
// are packed into its bytes 0..11 and stored with 16 bytes; the 4 rubbish bytes
// after them are overwritten by the next store, the last ones by the next block.
__attribute__((target("avx2"), always_inline)) inline void StoreRowPair(std::uint8_t* row,
                                                                        std::uint8_t* row4,
                                                                        __m256i low, __m256i high,
                                                                        const Avx2Masks& masks) {
    const __m256i a = _mm256_shuffle_epi8(low, masks.narrow);
    const __m256i b = _mm256_shuffle_epi8(high, masks.narrow);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row), _mm256_castsi256_si128(a));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + 12), _mm256_castsi256_si128(b));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row4), _mm256_extracti128_si256(a, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row4 + 12), _mm256_extracti128_si256(b, 1));
}

// One row stored to the byte: the halves are joined into bytes 0..23 of one
// register, written as 16 + 8 bytes.
__attribute__((target("avx2"), always_inline)) inline void
StoreRowExact(std::uint8_t* row, __m256i v, const Avx2Masks& masks) {
    const __m256i packed =
        _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(v, masks.narrow), masks.join);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row), _mm256_castsi256_si128(packed));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(row + 16), _mm256_extracti128_si256(packed, 1));
}

__attribute__((target("avx2"), always_inline)) inline void
StoreRowPairExact(std::uint8_t* row, std::uint8_t* row4, __m256i low, __m256i high,
                  const Avx2Masks& masks) {
    StoreRowExact(row, _mm256_permute2x128_si256(low, high, 0x20), masks);
    StoreRowExact(row4, _mm256_permute2x128_si256(low, high, 0x31), masks);
}

template <bool exact>
__attribute__((target("avx2"), always_inline)) inline void
TransposeBlock(const std::uint8_t* source, std::ptrdiff_t sourceStride, std::uint8_t* destination,
               std::ptrdiff_t destinationStride, const Avx2Masks& masks) {
    const __m256i r0 = LoadRow(source, masks);
    const __m256i r1 = LoadRow(source + sourceStride, masks);
    const __m256i r2 = LoadRow(source + 2 * sourceStride, masks);
    const __m256i r3 = LoadRow(source + 3 * sourceStride, masks);
    const __m256i r4 = LoadRow(source + 4 * sourceStride, masks);
    const __m256i r5 = LoadRow(source + 5 * sourceStride, masks);
    const __m256i r6 = LoadRow(source + 6 * sourceStride, masks);
    const __m256i r7 = LoadRow(source + 7 * sourceStride, masks);

    // Pairs of rows interleaved, then pairs of pairs: u_k holds pixel k of rows
    // 0..3 in its low half and pixel k + 4 of the same rows in its high half.
    const __m256i t0 = _mm256_unpacklo_epi32(r0, r1);
    const __m256i t1 = _mm256_unpackhi_epi32(r0, r1);
    const __m256i t2 = _mm256_unpacklo_epi32(r2, r3);
    const __m256i t3 = _mm256_unpackhi_epi32(r2, r3);
    const __m256i t4 = _mm256_unpacklo_epi32(r4, r5);
    const __m256i t5 = _mm256_unpackhi_epi32(r4, r5);
    const __m256i t6 = _mm256_unpacklo_epi32(r6, r7);
    const __m256i t7 = _mm256_unpackhi_epi32(r6, r7);
    const __m256i u0 = _mm256_unpacklo_epi64(t0, t2);
    const __m256i u1 = _mm256_unpackhi_epi64(t0, t2);
    const __m256i u2 = _mm256_unpacklo_epi64(t1, t3);
    const __m256i u3 = _mm256_unpackhi_epi64(t1, t3);
    const __m256i u4 = _mm256_unpacklo_epi64(t4, t6);
    const __m256i u5 = _mm256_unpackhi_epi64(t4, t6);
    const __m256i u6 = _mm256_unpacklo_epi64(t5, t7);
    const __m256i u7 = _mm256_unpackhi_epi64(t5, t7);

    const std::ptrdiff_t d = destinationStride;
    if constexpr (exact) {
        StoreRowPairExact(destination, destination + 4 * d, u0, u4, masks);
        StoreRowPairExact(destination + d, destination + 5 * d, u1, u5, masks);
        StoreRowPairExact(destination + 2 * d, destination + 6 * d, u2, u6, masks);
        StoreRowPairExact(destination + 3 * d, destination + 7 * d, u3, u7, masks);
    } else {
        StoreRowPair(destination, destination + 4 * d, u0, u4, masks);
        StoreRowPair(destination + d, destination + 5 * d, u1, u5, masks);
        StoreRowPair(destination + 2 * d, destination + 6 * d, u2, u6, masks);
        StoreRowPair(destination + 3 * d, destination + 7 * d, u3, u7, masks);
    }
}

} // namespace

__attribute__((target("avx2"))) void
Avx2TransposeBand(const std::uint8_t* source, std::ptrdiff_t sourceStride,
                  std::uint8_t* destination, std::ptrdiff_t destinationStride, int blocks) {
    if (blocks <= 0) {
        return;
    }
    const Avx2Masks masks = MakeMasks();
    const std::ptrdiff_t sourceStep = kTransposeBlock * sourceStride;
    for (int b = 1; b < blocks; ++b) {
        TransposeBlock<false>(source, sourceStride, destination, destinationStride, masks);
        source += sourceStep;
        destination += kTransposeBlock * 3;
    }
    TransposeBlock<true>(source, sourceStride, destination, destinationStride, masks);
}

} // namespace pixmoth

#endif
