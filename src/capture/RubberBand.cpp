#include "capture/RubberBand.h"

#include <algorithm>
#include <cstdint>

#include "document/Selection.h"
#include "imaging/bitmap/Error.h"

namespace pixmoth {

namespace {

struct Pattern {
    int on;
    int period;
};

Pattern PatternOf(PenStyle style) {
    return style == PenStyle::Dotted ? Pattern{2, 4} : Pattern{8, 12};
}

// Walks the outline once and inverts where the pattern is on. Only the part of
// each side that lies on the picture is visited, so a rectangle read from a file
// with coordinates far off the screen costs no more than one on it; the pattern
// position still counts the skipped pixels.
class OutlineWalker {
public:
    OutlineWalker(Bitmap& picture, Pattern pattern)
        : mBits(picture.Bits()), mStride(picture.Stride()), mWidth(picture.Width()),
          mHeight(picture.Height()), mBytes(picture.Format() == PixelFormat::Bit32 ? 4 : 3),
          mPattern(pattern) {}

    // Row y from column `from` to column `to`, both included, in either direction.
    void Horizontal(int y, int from, int to) {
        Side(from, to, y >= 0 && y < mHeight, mWidth,
             [&](int x) { return mBits + mStride * y + std::ptrdiff_t{x} * mBytes; });
    }

    void Vertical(int x, int from, int to) {
        Side(from, to, x >= 0 && x < mWidth, mHeight,
             [&](int y) { return mBits + mStride * y + std::ptrdiff_t{x} * mBytes; });
    }

private:
    template <typename PixelAt>
    void Side(int from, int to, bool lineOnPicture, int limit, PixelAt pixelAt) {
        const std::int64_t length = std::int64_t{to} - from;
        const std::int64_t count = (length < 0 ? -length : length) + 1;
        if (lineOnPicture) {
            const int step = length < 0 ? -1 : 1;
            // The visited range, clipped to 0 .. limit - 1, as offsets from `from`.
            std::int64_t first = 0;
            std::int64_t last = count - 1;
            const auto offsetOf = [&](std::int64_t v) { return (v - from) * step; };
            const std::int64_t a = offsetOf(step > 0 ? 0 : limit - 1);
            const std::int64_t b = offsetOf(step > 0 ? limit - 1 : 0);
            first = std::max(first, a);
            last = std::min(last, b);
            for (std::int64_t i = first; i <= last; ++i) {
                if ((mPosition + i) % mPattern.period < mPattern.on) {
                    std::uint8_t* p = pixelAt(static_cast<int>(from + i * step));
                    p[0] = static_cast<std::uint8_t>(~p[0]);
                    p[1] = static_cast<std::uint8_t>(~p[1]);
                    p[2] = static_cast<std::uint8_t>(~p[2]);
                }
            }
        }
        mPosition += count;
    }

    std::uint8_t* mBits;
    std::ptrdiff_t mStride;
    int mWidth;
    int mHeight;
    int mBytes;
    Pattern mPattern;
    std::int64_t mPosition = 0;
};

} // namespace

void InvertOutline(Bitmap& picture, const Rect& rect, PenStyle style) {
    if (picture.Format() != PixelFormat::Bit24 && picture.Format() != PixelFormat::Bit32) {
        throw Error("The rubber band draws on 24- and 32-bit pictures only");
    }
    const Rect r = NormalizeRect(rect);
    if (r.right == r.left || r.bottom == r.top || picture.Empty()) {
        return;
    }
    OutlineWalker walker(picture, PatternOf(style));
    const int right = r.right - 1;
    const int bottom = r.bottom - 1;
    if (right == r.left) {
        walker.Vertical(r.left, r.top, bottom);
        return;
    }
    if (bottom == r.top) {
        walker.Horizontal(r.top, r.left, right);
        return;
    }
    walker.Horizontal(r.top, r.left, right);
    walker.Vertical(right, r.top + 1, bottom);
    walker.Horizontal(bottom, right - 1, r.left);
    if (bottom - 1 >= r.top + 1) {
        walker.Vertical(r.left, bottom - 1, r.top + 1);
    }
}

} // namespace pixmoth
