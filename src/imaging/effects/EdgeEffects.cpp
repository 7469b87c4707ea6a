#include "imaging/effects/EdgeEffects.h"

#include <algorithm>
#include <cstdint>

namespace pixmoth {

namespace {

inline std::uint8_t* Row(std::uint8_t* bits, std::ptrdiff_t stride, int y) {
    return bits + stride * y;
}

} // namespace

void Emboss(Bitmap& bitmap) {
    bitmap.To24Bit();
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    if (w < 4 || h < 2) {
        return;
    }
    std::uint8_t* bits = bitmap.Bits();
    const std::ptrdiff_t stride = bitmap.Stride();
    // Row y + 1 is still the original when row y is rewritten, so every row is a
    // straight byte loop; channels line up because the partner is 3 whole pixels on.
    const std::ptrdiff_t count = static_cast<std::ptrdiff_t>(w - 3) * 3;
    for (int y = 0; y + 1 < h; ++y) {
        std::uint8_t* __restrict row = Row(bits, stride, y);
        const std::uint8_t* __restrict below = Row(bits, stride, y + 1) + 9;
        for (std::ptrdiff_t i = 0; i < count; ++i) {
            row[i] = static_cast<std::uint8_t>((row[i] + 255 - below[i]) >> 1);
        }
    }
}

void Shadow(Bitmap& bitmap) {
    bitmap.To24Bit();
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    if (w < 5 || h < 5) {
        return;
    }
    std::uint8_t* bits = bitmap.Bits();
    const std::ptrdiff_t stride = bitmap.Stride();
    // Working from the bottom up, the row four above is still unchanged when it
    // is read, so no work copy of the picture is needed. The choice is made with
    // masks rather than a branch: in a photograph the blue comparison of two
    // nearby pixels is close to a coin toss.
    for (int y = h - 1; y >= 4; --y) {
        std::uint8_t* __restrict t = Row(bits, stride, y);
        const std::uint8_t* __restrict s = Row(bits, stride, y - 4) + 12;
        for (int x = 0; x + 4 < w; ++x, t += 3, s += 3) {
            const unsigned take = 0u - static_cast<unsigned>(s[0] < t[0]);
            // s[0] < t[0] <= 255 where it is taken, so only green and red can
            // reach 256; they saturate.
            const unsigned b = s[0] + 1u;
            const unsigned g = std::min(s[1] + 1u, 255u);
            const unsigned r = std::min(s[2] + 1u, 255u);
            t[0] = static_cast<std::uint8_t>((b & take) | (t[0] & ~take));
            t[1] = static_cast<std::uint8_t>((g & take) | (t[1] & ~take));
            t[2] = static_cast<std::uint8_t>((r & take) | (t[2] & ~take));
        }
    }
}

void AntiAliasRect(Bitmap& bitmap, int x1, int y1, int x2, int y2) {
    bitmap.To24Bit();
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    const int left = std::max(1, std::min(x1, x2));
    const int right = std::min(w - 2, std::max(x1, x2));
    const int top = std::max(1, std::min(y1, y2));
    const int bottom = std::min(h - 2, std::max(y1, y2));
    if (left > right || top > bottom) {
        return;
    }
    std::uint8_t* bits = bitmap.Bits();
    const std::ptrdiff_t stride = bitmap.Stride();
    for (int y = top; y <= bottom; ++y) {
        const std::uint8_t* up = Row(bits, stride, y - 1); // already smoothed
        const std::uint8_t* down = Row(bits, stride, y + 1);
        std::uint8_t* row = Row(bits, stride, y);
        // The left neighbour is the pixel just written; keeping it in registers
        // spares a store-to-load round trip per channel.
        unsigned b = row[3 * left - 3];
        unsigned g = row[3 * left - 2];
        unsigned r = row[3 * left - 1];
        for (int x = left; x <= right; ++x) {
            const int i = 3 * x;
            b = (up[i] + down[i] + b + row[i + 3]) >> 2;
            g = (up[i + 1] + down[i + 1] + g + row[i + 4]) >> 2;
            r = (up[i + 2] + down[i + 2] + r + row[i + 5]) >> 2;
            row[i] = static_cast<std::uint8_t>(b);
            row[i + 1] = static_cast<std::uint8_t>(g);
            row[i + 2] = static_cast<std::uint8_t>(r);
        }
    }
}

void AntiAlias(Bitmap& bitmap) {
    AntiAliasRect(bitmap, 0, 0, bitmap.Width(), bitmap.Height());
}

namespace {

// The marking rule of Trace. The first difference met fixes `target`; after
// that the side of a difference that is not the target colour is painted.
class TraceMarker {
public:
    void Apply(std::uint8_t indexHere, std::uint8_t indexThere, std::uint8_t* here,
               std::uint8_t* there) {
        if (indexHere == indexThere) {
            return;
        }
        if (!mFound) {
            mTarget = indexThere;
            mFound = true;
            Paint(here);
        } else if (indexHere != mTarget) {
            Paint(here);
        } else {
            Paint(there);
        }
    }

private:
    static void Paint(std::uint8_t* pixel) { pixel[0] = pixel[1] = pixel[2] = 0; }

    bool mFound = false;
    std::uint8_t mTarget = 0;
};

} // namespace

void Trace(Bitmap& bitmap, int intensity) {
    bitmap.To24Bit();
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    if (intensity <= 0 || bitmap.Empty()) {
        return;
    }
    Bitmap index(bitmap);
    index.SetPixelFormat(PixelFormat::Bit8);
    const std::uint8_t* indexBits = index.Bits();
    const std::ptrdiff_t indexStride = index.Stride();
    std::uint8_t* bits = bitmap.Bits();
    const std::ptrdiff_t stride = bitmap.Stride();
    TraceMarker marker;
    // The index copy never changes and `target` is fixed by the first difference,
    // so every pass repeats the marks of the one before (painting is idempotent):
    // the third pass and later add nothing to the second.
    const int passes = std::min(intensity, 2);
    for (int pass = 1; pass <= passes; ++pass) {
        // Forward sweep; x = 0 is visited even in rows narrower than 3 pixels.
        // A neighbour outside the row (width 1) is not compared.
        for (int y = 0; y + 1 < h; ++y) {
            const std::uint8_t* p = indexBits + indexStride * y;
            const std::uint8_t* pBelow = p + indexStride;
            std::uint8_t* row = Row(bits, stride, y);
            std::uint8_t* below = row + stride;
            int x = 0;
            do {
                if (x + 1 < w) {
                    marker.Apply(p[x], p[x + 1], row + 3 * x, row + 3 * x + 3);
                }
                marker.Apply(p[x], pBelow[x], row + 3 * x, below + 3 * x);
            } while (++x < w - 2);
        }
        if (pass < 2) {
            continue;
        }
        // Backward sweep, from the bottom-right pixel.
        for (int y = h - 1; y >= 1; --y) {
            const std::uint8_t* p = indexBits + indexStride * y;
            const std::uint8_t* pAbove = p - indexStride;
            std::uint8_t* row = Row(bits, stride, y);
            std::uint8_t* above = row - stride;
            int x = w - 1;
            do {
                if (x >= 1) {
                    marker.Apply(p[x], p[x - 1], row + 3 * x, row + 3 * x - 3);
                }
                marker.Apply(p[x], pAbove[x], row + 3 * x, above + 3 * x);
            } while (--x > 1);
        }
    }
}

} // namespace pixmoth
