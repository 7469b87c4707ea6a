#pragma once

#include <cstddef>
#include <cstdint>

namespace pixmoth {

// 24-bit rows (blue, green, red) that live outside a Bitmap and are only read,
// such as a BMP file mapped into memory: row y starts at top + y * stride. The
// stride may be negative, which is how a bottom-up file reads top-down.
struct PixelRows {
    const std::uint8_t* top = nullptr;
    std::ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
};

} // namespace pixmoth
