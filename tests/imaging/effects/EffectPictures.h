#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "imaging/bitmap/Bitmap.h"

// Small pictures for hand-computed effect cases.
namespace pixmoth::test {

// A picture whose pixel (x, y) is colour(x, y).
inline Bitmap MakeBitmap(int width, int height,
                         const std::function<PaletteEntry(int x, int y)>& colour) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bitmap.SetPixelColor(x, y, colour(x, y));
        }
    }
    return bitmap;
}

// A grey picture: every channel of pixel (x, y) is values[y * width + x].
inline Bitmap GreyBitmap(int width, int height, const std::vector<int>& values) {
    return MakeBitmap(width, height, [&](int x, int y) {
        const auto v = static_cast<std::uint8_t>(values[static_cast<std::size_t>(y * width + x)]);
        return PaletteEntry{v, v, v, 0};
    });
}

// Channel c (0 blue, 1 green, 2 red) of every pixel, row by row.
inline std::vector<int> Channel(const Bitmap& bitmap, int c) {
    std::vector<int> values;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            values.push_back(bitmap.ScanLine(y)[3 * x + c]);
        }
    }
    return values;
}

// The values of a grey picture; {-1} when its channels differ anywhere.
inline std::vector<int> Grey(const Bitmap& bitmap) {
    const std::vector<int> blue = Channel(bitmap, 0);
    return Channel(bitmap, 1) == blue && Channel(bitmap, 2) == blue ? blue : std::vector<int>{-1};
}

} // namespace pixmoth::test
