#include "imaging/effects/TileEffects.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "imaging/bitmap/Error.h"
#include "imaging/bitmap/ImageMath.h"

namespace pixmoth {

namespace {

inline std::uint8_t* Row(std::uint8_t* bits, std::ptrdiff_t stride, int y) {
    return bits + stride * y;
}

inline void CopyPixel(std::uint8_t* to, const std::uint8_t* from) {
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
}

// Channel ramps of Seamless and HorizClip: step k of n from `from` towards `to`
// is round((to - from) / n * k + from) in double precision, dividing first.
// The quotient depends only on the channel difference, so it is computed once
// per difference; the products and sums are formed exactly as written.
class Ramp {
public:
    explicit Ramp(int n) {
        for (int d = -255; d <= 255; ++d) {
            mQuotient[static_cast<std::size_t>(d + 255)] = static_cast<double>(d) / n;
        }
    }

    std::uint8_t At(int from, int to, int k) const {
        const double value =
            mQuotient[static_cast<std::size_t>(to - from + 255)] * static_cast<double>(k) + from;
        // Round half to even, as RoundHalfEven, but without its libm call (lrint
        // is only inlined when errno may be ignored): adding 1.5 * 2^52 leaves no
        // fraction bits, so the addition itself rounds to nearest even. Exact for
        // the values here, 0 .. 255.
        constexpr double kShift = 6755399441055744.0;
        return static_cast<std::uint8_t>((value + kShift) - kShift);
    }

private:
    std::array<double, 511> mQuotient{};
};

} // namespace

void Mosaic(Bitmap& bitmap, int size) {
    bitmap.To24Bit();
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    if (size <= 1 || bitmap.Empty()) {
        return;
    }
    std::uint8_t* bits = bitmap.Bits();
    const std::ptrdiff_t stride = bitmap.Stride();
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 3;
    // 64-bit block edges: a size near the int limit must not wrap.
    for (long long top = 0; top < h; top += size) {
        std::uint8_t* first = Row(bits, stride, static_cast<int>(top));
        for (long long left = 0; left < w; left += size) {
            const std::uint8_t* colour = first + 3 * left;
            const long long right = std::min<long long>(w, left + size);
            for (long long x = left + 1; x < right; ++x) {
                CopyPixel(first + 3 * x, colour);
            }
        }
        const long long bottom = std::min<long long>(h, top + size);
        for (long long y = top + 1; y < bottom; ++y) {
            std::memcpy(Row(bits, stride, static_cast<int>(y)), first, rowBytes);
        }
    }
}

void Seamless(Bitmap& bitmap, int depth) {
    if (depth == 0) {
        throw Error("Division by zero");
    }
    bitmap.To24Bit();
    if (bitmap.Empty()) {
        return;
    }
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    const int vd = h / depth;
    const int hd = w / depth;
    std::uint8_t* bits = bitmap.Bits();
    const std::ptrdiff_t stride = bitmap.Stride();
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 3;

    std::uint8_t* first = Row(bits, stride, 0);
    if (h > 1) {
        std::memcpy(first, Row(bits, stride, h - 1), rowBytes);
    }
    // The vertical ramp ends at row vd. With depth 1 that row is one past the
    // picture; the last row stands in for it (it equals the new row 0, so the
    // ramp is flat), instead of failing half-way with row 0 already changed.
    const int end = std::min(vd, h - 1);
    if (end >= 2) {
        const Ramp ramp(end);
        const std::uint8_t* last = Row(bits, stride, end);
        for (int y = 1; y < end; ++y) {
            std::uint8_t* row = Row(bits, stride, y);
            for (std::size_t i = 0; i < rowBytes; ++i) {
                row[i] = ramp.At(first[i], last[i], y);
            }
        }
    }

    // Neither end of the horizontal ramp changes before its last step, which
    // rewrites pixel W - hd after its last use.
    const Ramp ramp(std::max(hd, 1));
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = Row(bits, stride, y);
        std::uint8_t* lastPixel = row + 3 * (w - 1);
        CopyPixel(lastPixel, row);
        if (hd < 2) {
            continue;
        }
        const std::uint8_t far[3] = {row[3 * (w - hd)], row[3 * (w - hd) + 1],
                                     row[3 * (w - hd) + 2]};
        for (int k = 1; k < hd; ++k) {
            std::uint8_t* pixel = row + 3 * (w - 1 - k);
            for (int c = 0; c < 3; ++c) {
                pixel[c] = ramp.At(lastPixel[c], far[c], k);
            }
        }
    }
}

void HorizClip(Bitmap& bitmap, int depth) {
    if (depth == 0) {
        throw Error("Division by zero");
    }
    bitmap.To24Bit();
    const int w = bitmap.Width();
    const int d = w / depth;
    if (d < 2) {
        return; // both ramps are empty or rewrite pixel 0 with itself
    }
    const Ramp ramp(d);
    std::uint8_t* bits = bitmap.Bits();
    const std::ptrdiff_t stride = bitmap.Stride();
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* row = Row(bits, stride, y);
        for (int c = 0; c < 3; ++c) {
            // Right ramp from pixel W - 1 (which keeps its colour) towards W - d;
            // W - d is rewritten only at the last step.
            const int last = row[3 * (w - 1) + c];
            const int far = row[3 * (w - d) + c];
            for (int k = 1; k < d; ++k) {
                row[3 * (w - 1 - k) + c] = ramp.At(last, far, k);
            }
            // Left ramp, from k = d - 1 down: its first step rewrites pixel d - 1
            // and the later steps ramp towards that new value. The two ramps
            // overlap when 2d > W; the right one has already been applied then.
            const int firstValue = row[c];
            std::uint8_t* end = row + 3 * (d - 1) + c;
            *end = ramp.At(firstValue, *end, d - 1);
            for (int k = d - 2; k >= 1; --k) {
                row[3 * k + c] = ramp.At(firstValue, *end, k);
            }
        }
    }
}

void Triangles(Bitmap& bitmap, int size) {
    bitmap.To24Bit();
    if (bitmap.Empty()) {
        return;
    }
    size = std::max(size, 5);
    size = (size / 2) * 2 + 1;
    const int half = size / 2;
    const int w = bitmap.Width();
    std::uint8_t* bits = bitmap.Bits();
    const std::ptrdiff_t stride = bitmap.Stride();
    for (int y = 0; y < bitmap.Height(); ++y) {
        int t1 = y % (size - 1);
        if (t1 > half) {
            t1 = 2 * half - t1;
        }
        if (t1 == 0) {
            t1 = size;
        }
        const int t2 = std::abs(half - y % size) + half;
        std::uint8_t* row = Row(bits, stride, y);
        std::uint8_t colour[3] = {row[0], row[1], row[2]};
        // x mod t1 and x mod t2 as wrapping counters instead of two divisions a pixel.
        int m1 = 0;
        int m2 = 0;
        for (int x = 0; x < w; ++x) {
            std::uint8_t* pixel = row + 3 * x;
            if (m1 == 0 || m2 == 1) {
                CopyPixel(colour, pixel);
            } else {
                CopyPixel(pixel, colour);
            }
            if (++m1 == t1) {
                m1 = 0;
            }
            if (++m2 == t2) {
                m2 = 0;
            }
        }
    }
}

namespace {

// Pixel (x, y) of the result is tile pixel (x mod step, y mod step): of the tiles
// covering it, the last one drawn is the one placed at the largest multiples of
// step not above x and y, and step <= tile size.
void Texturize(Bitmap& bitmap, int size, bool overlap) {
    bitmap.To24Bit();
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    const int s = std::min({w / 2, h / 2, size});
    if (s <= 0) {
        return; // no tile to lay (a tile size of 0 would never advance)
    }
    Bitmap tile(s, s);
    tile.StretchDraw(Rect{0, 0, s, s}, bitmap);
    const int step = overlap ? static_cast<int>(RoundHalfEven(2.0 * s / 3)) : s;
    std::uint8_t* bits = bitmap.Bits();
    const std::ptrdiff_t stride = bitmap.Stride();
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 3;
    const std::size_t period = static_cast<std::size_t>(step) * 3;
    for (int y = 0; y < step; ++y) {
        std::uint8_t* row = Row(bits, stride, y);
        std::memcpy(row, tile.ScanLine(y), period);
        for (std::size_t filled = period; filled < rowBytes;) {
            const std::size_t n = std::min(filled, rowBytes - filled);
            std::memcpy(row + filled, row, n);
            filled += n;
        }
    }
    for (int y = step; y < h; ++y) {
        std::memcpy(Row(bits, stride, y), Row(bits, stride, y % step), rowBytes);
    }
}

} // namespace

void TexturizeTile(Bitmap& bitmap, int size) {
    Texturize(bitmap, size, false);
}

void TexturizeOverlap(Bitmap& bitmap, int size) {
    Texturize(bitmap, size, true);
}

} // namespace pixmoth
