#include "imaging/codecs/BmpRle.h"

#include <algorithm>
#include <array>

namespace pixmoth {

namespace {

struct Bgr {
    std::uint8_t b = 0;
    std::uint8_t g = 0;
    std::uint8_t r = 0;
};

// Where the codes write: x from the left, y counted from the bottom row as the
// file stores it. x never passes the width, so runs cannot push it anywhere far.
class RleCanvas {
public:
    explicit RleCanvas(Bitmap& bitmap)
        : mWidth(bitmap.Width()), mHeight(bitmap.Height()), mStride(bitmap.Stride()),
          mBottom(bitmap.Bits() + mStride * (mHeight - 1)) {}

    bool Done() const { return mY >= mHeight; }
    // Every pixel has had its chance: the last row is full or passed.
    bool Complete() const { return mY >= mHeight || (mY == mHeight - 1 && mX >= mWidth); }

    // Sets `count` pixels from the current position to colourOf(0), colourOf(1), ...
    template <typename ColourOf>
    void Run(int count, ColourOf colourOf) {
        const int n = std::min(count, mWidth - mX);
        std::uint8_t* p = mBottom - mStride * mY + std::ptrdiff_t{3} * mX;
        for (int i = 0; i < n; ++i, p += 3) {
            const Bgr c = colourOf(i);
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
        mX += n;
    }
    void EndOfLine() {
        mX = 0;
        ++mY;
    }
    void Move(int dx, int dy) {
        mX = std::min(mX + dx, mWidth);
        mY += dy;
    }

private:
    int mWidth;
    int mHeight;
    std::ptrdiff_t mStride;
    std::uint8_t* mBottom;
    int mX = 0;
    int mY = 0;
};

} // namespace

Bitmap DecodeBmpRle(const BmpHeader& header, const std::uint8_t* data, std::size_t size,
                    const std::string& subject) {
    Bitmap bitmap(header.width, header.height, PixelFormat::Bit24); // black
    std::array<Bgr, 256> colours{};
    for (std::size_t i = 0; i < header.palette.size() && i < colours.size(); ++i) {
        colours[i] = Bgr{header.palette[i].blue, header.palette[i].green, header.palette[i].red};
    }
    const BmpCompression kind = header.compression;
    RleCanvas canvas(bitmap);
    std::size_t pos = 0;
    const auto have = [&](std::size_t bytes) { return bytes <= size - pos; };

    while (!canvas.Done()) {
        if (!have(2)) {
            break;
        }
        const int count = data[pos];
        const int code = data[pos + 1];
        if (count != 0) {
            // Encoded run: one colour, or two alternating nibbles in RLE4.
            if (kind == BmpCompression::Rle24) {
                if (!have(4)) {
                    break;
                }
                const Bgr c{data[pos + 1], data[pos + 2], data[pos + 3]};
                canvas.Run(count, [&](int) { return c; });
                pos += 4;
            } else if (kind == BmpCompression::Rle4) {
                const Bgr pair[2] = {colours[code >> 4], colours[code & 15]};
                canvas.Run(count, [&](int i) { return pair[i & 1]; });
                pos += 2;
            } else {
                const Bgr c = colours[code];
                canvas.Run(count, [&](int) { return c; });
                pos += 2;
            }
            continue;
        }
        pos += 2;
        if (code == 0) {
            canvas.EndOfLine();
        } else if (code == 1) {
            return bitmap; // end of bitmap: whatever is unset stays black
        } else if (code == 2) {
            if (!have(2)) {
                break;
            }
            canvas.Move(data[pos], data[pos + 1]);
            pos += 2;
        } else {
            // Absolute run of `code` pixels stored as they are, padded to 16 bits.
            const std::size_t bytes = kind == BmpCompression::Rle8   ? code
                                      : kind == BmpCompression::Rle4 ? (code + 1) / 2
                                                                     : code * 3;
            if (!have(bytes)) {
                break;
            }
            const std::uint8_t* run = data + pos;
            if (kind == BmpCompression::Rle24) {
                canvas.Run(code, [&](int i) {
                    return Bgr{run[3 * i], run[3 * i + 1], run[3 * i + 2]};
                });
            } else if (kind == BmpCompression::Rle4) {
                canvas.Run(code, [&](int i) {
                    const int byte = run[i >> 1];
                    return colours[(i & 1) ? (byte & 15) : (byte >> 4)];
                });
            } else {
                canvas.Run(code, [&](int i) { return colours[run[i]]; });
            }
            pos += std::min(bytes + (bytes & 1), size - pos);
        }
    }
    if (!canvas.Complete()) {
        ThrowBmpError(subject, "is truncated");
    }
    return bitmap;
}

} // namespace pixmoth
