#include "imaging/effects/RippleEffects.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "imaging/bitmap/Error.h"
#include "imaging/bitmap/ImageMath.h"
#include "imaging/bitmap/Random.h"

namespace pixmoth {

namespace {

// The skeleton shared by the ripples: for y = H - 1 - a down to 0, pixel x of row
// y is copied to (x, y + off), then off := offsetAfter(x). Rows below y have
// already been copied from, so row y is still original when it is read. The
// destination row changes from pixel to pixel; it is found from the cached base
// and stride.
template <typename OffsetAfter>
void RippleRows(Bitmap& bitmap, int a, OffsetAfter offsetAfter) {
    const int w = bitmap.Width();
    std::uint8_t* bits = bitmap.Bits();
    const std::ptrdiff_t stride = bitmap.Stride();
    for (int y = bitmap.Height() - 1 - a; y >= 0; --y) {
        const std::uint8_t* source = bits + stride * y;
        std::uint8_t off = 0;
        for (int x = 0; x < w; ++x) {
            std::uint8_t* target = bits + stride * (y + off) + 3 * x;
            target[0] = source[3 * x];
            target[1] = source[3 * x + 1];
            target[2] = source[3 * x + 2];
            off = offsetAfter(x);
        }
    }
}

// a for the ripples. With a negative amount the first source row, H - 1 - a,
// lies below the last row: the call fails there, before any change.
int RippleDepth(const Bitmap& bitmap, int amount) {
    if (amount < 0) {
        throw Error("Scan line index out of range");
    }
    return std::min(bitmap.Height() / 2, amount);
}

// For offsets that depend only on x: the 8-bit counter stepped by `next` once
// for the whole row, then used by every row. An offset never exceeds a (the
// counter wraps at 256 before it could when a > 255), so every target row lies
// inside the picture.
template <typename Next>
void RippleByColumn(Bitmap& bitmap, int a, Next next) {
    std::vector<std::uint8_t> offsets(static_cast<std::size_t>(bitmap.Width()) + 1);
    for (std::size_t x = 1; x < offsets.size(); ++x) {
        offsets[x] = next(offsets[x - 1]);
    }
    const std::uint8_t* after = offsets.data() + 1;
    RippleRows(bitmap, a, [after](int x) { return after[x]; });
}

} // namespace

void RippleTooth(Bitmap& bitmap, int amount) {
    bitmap.To24Bit();
    const int a = RippleDepth(bitmap, amount);
    RippleByColumn(bitmap, a, [a](std::uint8_t off) {
        ++off;
        return off > a ? std::uint8_t{0} : off;
    });
}

void RippleTriangle(Bitmap& bitmap, int amount) {
    bitmap.To24Bit();
    const int a = RippleDepth(bitmap, amount);
    if (a == 0) {
        // The wave would fall from 0 to a - 1, an offset of 255 rows: nothing moves.
        return;
    }
    bool rising = true;
    RippleByColumn(bitmap, a, [a, &rising](std::uint8_t off) {
        if (rising) {
            ++off;
            if (off > a) {
                rising = false;
                off = static_cast<std::uint8_t>(a - 1);
            }
        } else if (off == 0) {
            rising = true;
            off = 1;
        } else {
            --off;
        }
        return off;
    });
}

void RippleRandom(Bitmap& bitmap, int amount) {
    bitmap.To24Bit();
    Randomize();
    const int a = RippleDepth(bitmap, amount);
    // Random(a) < a, and a value above 255 keeps its low 8 bits, which are below
    // a too, so every target row lies inside the picture.
    RippleRows(bitmap, a, [a](int) { return static_cast<std::uint8_t>(Random(a)); });
}

void HeightMap(Bitmap& bitmap, int amount) {
    bitmap.To24Bit();
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    if (amount == 0 || bitmap.Empty()) {
        return;
    }
    // The lift depends only on B + G + R, so it is computed once per sum, in
    // double precision and in the order written.
    std::array<long long, 766> lift{};
    for (int sum = 0; sum <= 765; ++sum) {
        lift[static_cast<std::size_t>(sum)] =
            RoundHalfEven(static_cast<double>(sum) / 3 / 255 * amount);
    }
    std::uint8_t* bits = bitmap.Bits();
    const std::ptrdiff_t stride = bitmap.Stride();
    // Lifting only writes into rows at or above the source row, after they have
    // been read, so the picture itself serves as the unchanged source. Lowering
    // writes into rows still to be read and needs the original.
    Bitmap original;
    const std::uint8_t* sourceBits = bits;
    if (amount < 0) {
        original = bitmap;
        sourceBits = original.Bits();
    }
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* source = sourceBits + stride * y;
        for (int x = 0; x < w; ++x, source += 3) {
            const long long target = y - lift[source[0] + source[1] + source[2]];
            if (target >= h) {
                // Lowered below the last row: that row does not exist. The rows
                // done so far keep their new pixels, as with any failing effect.
                throw Error("Scan line index out of range");
            }
            if (target >= 0) {
                std::uint8_t* pixel = bits + stride * target + 3 * x;
                pixel[0] = source[0];
                pixel[1] = source[1];
                pixel[2] = source[2];
            }
        }
    }
}

} // namespace pixmoth
