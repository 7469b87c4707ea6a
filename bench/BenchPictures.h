#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/Bitmap.h"

// The picture size and content the benchmarks share: a 12-megapixel photo-sized
// 24-bit picture whose bytes vary, so no operation gets an easy constant input.
namespace pixmoth::bench {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

inline Bitmap Picture(int width = kWidth, int height = kHeight) {
    Bitmap bitmap(width, height);
    for (std::size_t i = 0; i < bitmap.ByteSize(); ++i) {
        bitmap.Bits()[i] = static_cast<std::uint8_t>(i * 7 + (i >> 12));
    }
    return bitmap;
}

} // namespace pixmoth::bench
