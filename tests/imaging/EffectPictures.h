#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "imaging/Bitmap.h"

// Small pictures for hand-computed effect cases, read and written one channel at
// a time as row-major lists of values.
namespace pixmoth::test {

// A grey picture: every channel of pixel (x, y) is values[y * width + x].
inline Bitmap GreyBitmap(int width, int height, const std::vector<int>& values) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const auto v = static_cast<std::uint8_t>(values[static_cast<std::size_t>(y * width + x)]);
            row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = v;
        }
    }
    return bitmap;
}

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

// Channel c (0 blue, 1 green, 2 red) of every pixel, row by row.
inline std::vector<int> Channel(const Bitmap& bitmap, int c) {
    std::vector<int> values;
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) {
            values.push_back(row[3 * x + c]);
        }
    }
    return values;
}

// Every channel of a grey picture must equal `values`.
inline std::vector<int> Grey(const Bitmap& bitmap) {
    const std::vector<int> blue = Channel(bitmap, 0);
    if (Channel(bitmap, 1) != blue || Channel(bitmap, 2) != blue) {
        return {-1}; // not grey: fails any comparison with real values
    }
    return blue;
}

inline Bitmap EightBitPattern(int width, int height) {
    Bitmap bitmap(width, height, PixelFormat::Bit8);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bitmap.ScanLine(y)[x] = static_cast<std::uint8_t>((x * 37 + y * 91) % 256);
        }
    }
    return bitmap;
}

} // namespace pixmoth::test
