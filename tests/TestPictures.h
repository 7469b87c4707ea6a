#pragma once

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "imaging/bitmap/Bitmap.h"

// Small helpers shared by the tests: deterministic pictures and exact comparisons.
namespace pixmoth::test {

// A 24-bit picture whose every byte differs from its neighbours in a way that
// exposes swapped channels, rows or columns: channel c of pixel (x, y) is a
// hash of (x, y, c, salt).
inline Bitmap PatternBitmap(int width, int height, std::uint32_t salt = 1) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) {
                std::uint32_t h = (static_cast<std::uint32_t>(x) * 73856093u) ^
                                  (static_cast<std::uint32_t>(y) * 19349663u) ^
                                  (static_cast<std::uint32_t>(c) * 83492791u) ^
                                  (salt * 2654435761u);
                h ^= h >> 13;
                h *= 0x5bd1e995u;
                h ^= h >> 15;
                row[3 * x + c] = static_cast<std::uint8_t>(h);
            }
        }
    }
    return bitmap;
}

// One colour everywhere.
inline Bitmap SolidBitmap(int width, int height, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = b;
            row[3 * x + 1] = g;
            row[3 * x + 2] = r;
        }
    }
    return bitmap;
}

// Pixel (x, y) of a 24-bit bitmap as "b,g,r", for readable failure messages.
inline std::string PixelText(const Bitmap& bitmap, int x, int y) {
    const std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
    return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]);
}

// Equal size, format and pixel colours; names the first differing pixel.
inline ::testing::AssertionResult SamePicture(const Bitmap& a, const Bitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) {
        return ::testing::AssertionFailure() << "size " << a.Width() << "x" << a.Height() << " vs "
                                             << b.Width() << "x" << b.Height();
    }
    if (a.Format() != b.Format()) {
        return ::testing::AssertionFailure() << "pixel formats differ";
    }
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            const PaletteEntry pa = a.PixelColor(x, y);
            const PaletteEntry pb = b.PixelColor(x, y);
            if (!(pa == pb)) {
                return ::testing::AssertionFailure()
                       << "pixel (" << x << "," << y << ") is " << int(pa.blue) << ","
                       << int(pa.green) << "," << int(pa.red) << " vs " << int(pb.blue) << ","
                       << int(pb.green) << "," << int(pb.red);
            }
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace pixmoth::test
