#include "imaging/Transforms.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace pixmoth {

namespace {

// Rotations read rows and write columns (or the reverse). Walking the picture in
// square tiles keeps both the source rows and the destination rows of a tile in
// the cache; 32 x 32 pixels is 3 KB per side of the copy.
constexpr int kTile = 32;

inline void CopyPixel(std::uint8_t* to, const std::uint8_t* from) {
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
}

// Shared by both rotations: destination pixel (dstX(x, y), x or W - 1 - x) from
// source pixel (x, y). `clockwise` selects which of the two mappings.
void Rotate(Bitmap& source, Bitmap& destination, bool clockwise) {
    if (&source == &destination) {
        Bitmap copy(source);
        Rotate(copy, destination, clockwise);
        return;
    }
    source.To24Bit();
    const int w = source.Width();
    const int h = source.Height();
    destination.Reset(h, w, PixelFormat::Bit24);
    if (w == 0 || h == 0) {
        return;
    }
    const std::uint8_t* src = source.Bits();
    std::uint8_t* dst = destination.Bits();
    const std::ptrdiff_t srcStride = source.Stride();
    const std::ptrdiff_t dstStride = destination.Stride();
    for (int y0 = 0; y0 < h; y0 += kTile) {
        const int y1 = std::min(h, y0 + kTile);
        for (int x0 = 0; x0 < w; x0 += kTile) {
            const int x1 = std::min(w, x0 + kTile);
            for (int x = x0; x < x1; ++x) {
                // Clockwise: source column x becomes destination row x, read
                // bottom-up; counter-clockwise: row W - 1 - x, read top-down.
                const int dstRow = clockwise ? x : w - 1 - x;
                std::uint8_t* out = dst + dstRow * dstStride;
                const std::uint8_t* in = src + y0 * srcStride + x * 3;
                for (int y = y0; y < y1; ++y, in += srcStride) {
                    const int dstCol = clockwise ? h - 1 - y : y;
                    CopyPixel(out + dstCol * 3, in);
                }
            }
        }
    }
}

} // namespace

void RotateRight(Bitmap& source, Bitmap& destination) {
    Rotate(source, destination, true);
}

void RotateLeft(Bitmap& source, Bitmap& destination) {
    Rotate(source, destination, false);
}

// The flips swap in place: the result equals the one built in a work bitmap, and
// a fresh picture-sized buffer would cost more in page faults than the flip.
void FlipRight(Bitmap& bitmap) {
    bitmap.To24Bit();
    const int w = bitmap.Width();
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        std::uint8_t* left = row;
        std::uint8_t* right = row + (w - 1) * 3;
        for (; left < right; left += 3, right -= 3) {
            std::swap_ranges(left, left + 3, right);
        }
    }
}

void FlipDown(Bitmap& bitmap) {
    bitmap.To24Bit();
    const int h = bitmap.Height();
    if (h < 2) {
        return;
    }
    const std::size_t bytes = static_cast<std::size_t>(bitmap.Width()) * 3;
    std::vector<std::uint8_t> temp(bytes);
    for (int top = 0, bottom = h - 1; top < bottom; ++top, --bottom) {
        std::uint8_t* a = bitmap.ScanLine(top);
        std::uint8_t* b = bitmap.ScanLine(bottom);
        std::memcpy(temp.data(), a, bytes);
        std::memcpy(a, b, bytes);
        std::memcpy(b, temp.data(), bytes);
    }
}

void MirrorHorizontal(Bitmap& bitmap) {
    bitmap.To24Bit();
    const int h = bitmap.Height();
    const std::size_t bytes = static_cast<std::size_t>(bitmap.Width()) * 3;
    for (int y = 0; y <= h / 2; ++y) {
        if (h - 1 - y != y) {
            std::memcpy(bitmap.ScanLine(h - 1 - y), bitmap.ScanLine(y), bytes);
        }
    }
}

void MirrorVertical(Bitmap& bitmap) {
    bitmap.To24Bit();
    const int w = bitmap.Width();
    if (w == 0) {
        return;
    }
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x <= w / 2; ++x) {
            CopyPixel(row + (w - 1 - x) * 3, row + x * 3);
        }
    }
}

} // namespace pixmoth
