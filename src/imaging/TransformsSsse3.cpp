#include "imaging/TransformKernels.h"

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
namespace pixmoth {

__attribute__((target("ssse3"))) void Ssse3CopyReversed(const std::uint8_t* from, std::uint8_t* to,
                                                        int count) {
    const __m128i reverse = _mm_setr_epi8(13, 14, 15, 10, 11, 12, 7, 8, 9, 4, 5, 6, -1, -1, -1, -1);
    const std::ptrdiff_t bytes = static_cast<std::ptrdiff_t>(count) * 3;
    std::ptrdiff_t out = 0;
    for (; out + 16 <= bytes; out += 12) {
        // The group's last pixel is from pixel count - 1 - out / 3.
        const __m128i in =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + bytes - out - 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + out), _mm_shuffle_epi8(in, reverse));
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
