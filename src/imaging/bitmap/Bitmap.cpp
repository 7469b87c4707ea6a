#include "imaging/bitmap/Bitmap.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <utility>

#include "imaging/bitmap/Error.h"
#include "imaging/bitmap/HalftonePalette.h"
#include "imaging/bitmap/PixelMemory.h"

namespace pixmoth {

namespace {

std::vector<PaletteEntry> DefaultPalette(PixelFormat format) {
    switch (format) {
    case PixelFormat::Bit1:
        return {PaletteEntry{0, 0, 0, 0}, PaletteEntry{255, 255, 255, 0}};
    case PixelFormat::Bit4:
        return StandardPalette16();
    case PixelFormat::Bit8:
        return HalftonePalette();
    default:
        return {};
    }
}

inline std::uint8_t Expand5(unsigned v) {
    return static_cast<std::uint8_t>((v << 3) | (v >> 2));
}
inline std::uint8_t Expand6(unsigned v) {
    return static_cast<std::uint8_t>((v << 2) | (v >> 4));
}

// Maps colours onto a palette; remembers the last colour because neighbouring
// pixels repeat their colour far more often than not.
class PaletteMapper {
public:
    PaletteMapper(const std::vector<PaletteEntry>& palette, PixelFormat format)
        : mPalette(palette),
          mHalftone(format == PixelFormat::Bit8 && palette == HalftonePalette()) {}

    unsigned Map(std::uint8_t b, std::uint8_t g, std::uint8_t r) {
        const std::uint32_t key = b | (g << 8) | (r << 16);
        if (key != mLastKey) {
            mLastKey = key;
            mLastIndex = mHalftone ? NearestHalftoneIndex(b, g, r)
                                   : static_cast<unsigned>(NearestPaletteIndex(mPalette, b, g, r));
        }
        return mLastIndex;
    }

private:
    const std::vector<PaletteEntry>& mPalette;
    bool mHalftone;
    std::uint32_t mLastKey = 0xFFFFFFFFu;
    unsigned mLastIndex = 0;
};

unsigned ReadIndex(const std::uint8_t* row, int x, int bits) {
    switch (bits) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4:
        return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
    default:
        return row[x];
    }
}

void WriteIndex(std::uint8_t* row, int x, int bits, unsigned index) {
    switch (bits) {
    case 1: {
        const auto mask = static_cast<std::uint8_t>(0x80u >> (x & 7));
        row[x >> 3] =
            static_cast<std::uint8_t>(index ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask));
        break;
    }
    case 4:
        if (x & 1) {
            row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & 0xF0u) | (index & 0x0Fu));
        } else {
            row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & 0x0Fu) | ((index & 0x0Fu) << 4));
        }
        break;
    default:
        row[x] = static_cast<std::uint8_t>(index);
        break;
    }
}

} // namespace

int BitsPerPixel(PixelFormat format) {
    switch (format) {
    case PixelFormat::Bit1:
        return 1;
    case PixelFormat::Bit4:
        return 4;
    case PixelFormat::Bit8:
        return 8;
    case PixelFormat::Bit15:
        return 15;
    case PixelFormat::Bit16:
        return 16;
    case PixelFormat::Bit24:
        return 24;
    case PixelFormat::Bit32:
        return 32;
    }
    return 24;
}

bool HasPalette(PixelFormat format) {
    return format == PixelFormat::Bit1 || format == PixelFormat::Bit4 ||
           format == PixelFormat::Bit8;
}

std::size_t RowBytes(int width, PixelFormat format) {
    const int bits = format == PixelFormat::Bit15 ? 16 : BitsPerPixel(format);
    return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 31) / 32) * 4;
}

Bitmap::Bitmap(int width, int height, PixelFormat format) {
    Allocate(width, height, format, true);
    mPalette = DefaultPalette(format);
}

Bitmap::Bitmap(const Bitmap& other) {
    *this = other;
}

Bitmap::Bitmap(Bitmap&& other) noexcept {
    *this = std::move(other);
}

Bitmap& Bitmap::operator=(const Bitmap& other) {
    if (this == &other) {
        return *this;
    }
    Allocate(other.mWidth, other.mHeight, other.mFormat, false);
    if (other.ByteSize() > 0) {
        std::memcpy(mBits.memory, other.mBits.memory, other.ByteSize());
    }
    mPalette = other.mPalette;
    return *this;
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
    if (this == &other) {
        return *this;
    }
    mWidth = std::exchange(other.mWidth, 0);
    mHeight = std::exchange(other.mHeight, 0);
    mFormat = std::exchange(other.mFormat, PixelFormat::Bit24);
    mStride = std::exchange(other.mStride, 0);
    mBits.Release();
    mBits.Swap(other.mBits);
    mPalette = std::move(other.mPalette);
    other.mPalette.clear();
    return *this;
}

// Sizes the pixel block, reusing the old memory when it is large enough and not
// wastefully large. With `zeroed` every byte is zero; otherwise only the row
// padding is.
void Bitmap::Allocate(int width, int height, PixelFormat format, bool zeroed) {
    if (width < 0 || height < 0) {
        throw Error("Invalid bitmap size " + std::to_string(width) + " x " +
                    std::to_string(height));
    }
    const std::size_t stride = RowBytes(width, format);
    const std::size_t bytes = stride * static_cast<std::size_t>(height);
    if (height > 0 && stride > kMaxBitmapBytes / static_cast<std::size_t>(height)) {
        throw Error("Picture too large: " + std::to_string(width) + " x " + std::to_string(height));
    }
    mWidth = width;
    mHeight = height;
    mFormat = format;
    mStride = stride;
    if (bytes == 0) {
        return; // a 0-pixel side keeps the other side's number but needs no memory
    }
    if (mBits.memory && bytes <= mBits.capacity && bytes >= mBits.capacity / 2) {
        if (zeroed) {
            std::memset(mBits.memory, 0, bytes);
        } else {
            ZeroRowPadding();
        }
        return;
    }
    mBits.Release();
    mBits.memory = AcquirePixelMemory(bytes, zeroed, mBits.capacity);
    if (mBits.memory == nullptr) {
        mWidth = mHeight = 0;
        mStride = 0;
        throw Error("Not enough memory for a picture of " + std::to_string(width) + " x " +
                    std::to_string(height) + " pixels");
    }
    if (!zeroed) {
        ZeroRowPadding();
    }
}

void Bitmap::Block::Release() {
    ReleasePixelMemory(memory, capacity);
    memory = nullptr;
    capacity = 0;
}

void Bitmap::Block::Swap(Block& other) noexcept {
    std::swap(memory, other.memory);
    std::swap(capacity, other.capacity);
}

void Bitmap::ZeroRowPadding() {
    const std::size_t used =
        (static_cast<std::size_t>(mWidth) *
             static_cast<std::size_t>(mFormat == PixelFormat::Bit15 ? 16 : BitsPerPixel(mFormat)) +
         7) /
        8;
    if (used == mStride) {
        return;
    }
    for (int y = 0; y < mHeight; ++y) {
        std::memset(mBits.memory + mStride * static_cast<std::size_t>(y) + used, 0, mStride - used);
    }
}

void Bitmap::SetSize(int width, int height) {
    if (width == mWidth && height == mHeight) {
        return;
    }
    Bitmap resized(width, height, mFormat);
    resized.mPalette = mPalette;
    const int rows = std::min(height, mHeight);
    const std::size_t keep = std::min(resized.mStride, mStride);
    for (int y = 0; keep > 0 && y < rows; ++y) {
        std::memcpy(resized.ScanLine(y), ScanLine(y), keep);
    }
    if (rows > 0 && keep > 0) {
        resized.ZeroRowPadding(); // the copied bytes may include old padding bits
    }
    *this = std::move(resized);
}

void Bitmap::Reset(int width, int height, PixelFormat format) {
    Allocate(width, height, format, false);
    if (HasPalette(format)) {
        if (mPalette.size() != (std::size_t{1} << BitsPerPixel(format))) {
            mPalette = DefaultPalette(format);
        }
    } else {
        mPalette.clear();
    }
}

void Bitmap::SetPixelFormat(PixelFormat format) {
    if (format == mFormat) {
        return;
    }
    Bitmap converted(mWidth, mHeight, format);
    if (!Empty()) {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(mWidth) * 3);
        for (int y = 0; y < mHeight; ++y) {
            ReadRowBgr(y, 0, mWidth, row.data());
            converted.WriteRowBgr(y, 0, mWidth, row.data());
        }
    }
    *this = std::move(converted);
}

std::uint8_t* Bitmap::ScanLine(int y) {
    if (y < 0 || y >= mHeight) {
        throw Error("Scan line index out of range");
    }
    return mBits.memory + mStride * static_cast<std::size_t>(y);
}

const std::uint8_t* Bitmap::ScanLine(int y) const {
    if (y < 0 || y >= mHeight) {
        throw Error("Scan line index out of range");
    }
    return mBits.memory + mStride * static_cast<std::size_t>(y);
}

void Bitmap::SetPalette(std::vector<PaletteEntry> palette) {
    if (!HasPalette(mFormat)) {
        return;
    }
    palette.resize(std::size_t{1} << BitsPerPixel(mFormat));
    mPalette = std::move(palette);
}

void Bitmap::ReadRowBgr(int y, int x0, int count, std::uint8_t* out) const {
    const std::uint8_t* row = ScanLine(y);
    switch (mFormat) {
    case PixelFormat::Bit24:
        std::memcpy(out, row + static_cast<std::size_t>(x0) * 3,
                    static_cast<std::size_t>(count) * 3);
        return;
    case PixelFormat::Bit32:
        for (int i = 0; i < count; ++i) {
            const std::uint8_t* p = row + static_cast<std::size_t>(x0 + i) * 4;
            out[3 * i] = p[0];
            out[3 * i + 1] = p[1];
            out[3 * i + 2] = p[2];
        }
        return;
    case PixelFormat::Bit15:
    case PixelFormat::Bit16:
        for (int i = 0; i < count; ++i) {
            const std::uint8_t* p = row + static_cast<std::size_t>(x0 + i) * 2;
            const unsigned v = p[0] | (p[1] << 8);
            if (mFormat == PixelFormat::Bit15) {
                out[3 * i] = Expand5(v & 31);
                out[3 * i + 1] = Expand5((v >> 5) & 31);
                out[3 * i + 2] = Expand5((v >> 10) & 31);
            } else {
                out[3 * i] = Expand5(v & 31);
                out[3 * i + 1] = Expand6((v >> 5) & 63);
                out[3 * i + 2] = Expand5((v >> 11) & 31);
            }
        }
        return;
    default: {
        const int bits = BitsPerPixel(mFormat);
        for (int i = 0; i < count; ++i) {
            const PaletteEntry& e = mPalette[ReadIndex(row, x0 + i, bits)];
            out[3 * i] = e.blue;
            out[3 * i + 1] = e.green;
            out[3 * i + 2] = e.red;
        }
        return;
    }
    }
}

void Bitmap::WriteRowBgr(int y, int x0, int count, const std::uint8_t* in) {
    std::uint8_t* row = ScanLine(y);
    switch (mFormat) {
    case PixelFormat::Bit24:
        std::memcpy(row + static_cast<std::size_t>(x0) * 3, in,
                    static_cast<std::size_t>(count) * 3);
        return;
    case PixelFormat::Bit32:
        for (int i = 0; i < count; ++i) {
            std::uint8_t* p = row + static_cast<std::size_t>(x0 + i) * 4;
            p[0] = in[3 * i];
            p[1] = in[3 * i + 1];
            p[2] = in[3 * i + 2];
            p[3] = 0;
        }
        return;
    case PixelFormat::Bit15:
    case PixelFormat::Bit16:
        for (int i = 0; i < count; ++i) {
            std::uint8_t* p = row + static_cast<std::size_t>(x0 + i) * 2;
            const unsigned b = in[3 * i];
            const unsigned g = in[3 * i + 1];
            const unsigned r = in[3 * i + 2];
            const unsigned v = mFormat == PixelFormat::Bit15
                                   ? ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3)
                                   : ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
            p[0] = static_cast<std::uint8_t>(v);
            p[1] = static_cast<std::uint8_t>(v >> 8);
        }
        return;
    default: {
        const int bits = BitsPerPixel(mFormat);
        PaletteMapper mapper(mPalette, mFormat);
        for (int i = 0; i < count; ++i) {
            WriteIndex(row, x0 + i, bits, mapper.Map(in[3 * i], in[3 * i + 1], in[3 * i + 2]));
        }
        return;
    }
    }
}

PaletteEntry Bitmap::PixelColor(int x, int y) const {
    if (x < 0 || x >= mWidth) {
        throw Error("Pixel index out of range");
    }
    std::uint8_t bgr[3];
    ReadRowBgr(y, x, 1, bgr);
    return PaletteEntry{bgr[0], bgr[1], bgr[2], 0};
}

void Bitmap::SetPixelColor(int x, int y, PaletteEntry color) {
    if (x < 0 || x >= mWidth) {
        throw Error("Pixel index out of range");
    }
    const std::uint8_t bgr[3] = {color.blue, color.green, color.red};
    WriteRowBgr(y, x, 1, bgr);
}

void Bitmap::Draw(int x, int y, const Bitmap& source) {
    const int left = std::max(0, x);
    const int right = std::min(mWidth, x + source.mWidth);
    if (left >= right) {
        return;
    }
    const int top = std::max(0, y);
    const int bottom = std::min(mHeight, y + source.mHeight);
    if (mFormat == source.mFormat && mFormat == PixelFormat::Bit24) {
        const std::size_t bytes = static_cast<std::size_t>(right - left) * 3;
        for (int row = top; row < bottom; ++row) {
            std::memcpy(ScanLine(row) + static_cast<std::size_t>(left) * 3,
                        source.ScanLine(row - y) + static_cast<std::size_t>(left - x) * 3, bytes);
        }
        return;
    }
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(right - left) * 3);
    for (int row = top; row < bottom; ++row) {
        source.ReadRowBgr(row - y, left - x, right - left, buffer.data());
        WriteRowBgr(row, left, right - left, buffer.data());
    }
}

// Sampling rule: destination pixel (dx, dy) of the rectangle takes source pixel
//   sx = ((2 * dx + 1) * sourceWidth) div (2 * rectWidth)
//   sy = ((2 * dy + 1) * sourceHeight) div (2 * rectHeight)
// with dx, dy counted from the rectangle's left and top: the source pixel under
// the centre of the destination pixel. Shrinking by 2 thus takes the odd pixels
// 1, 3, 5, ...; enlarging by 2 repeats every pixel twice. A rectangle with right
// < left or bottom < top mirrors the picture, as the toolkit's stretch does.
void Bitmap::StretchDraw(const Rect& dest, const Bitmap& source) {
    if (source.Empty() || dest.Width() == 0 || dest.Height() == 0) {
        return;
    }
    const bool mirrorX = dest.Width() < 0;
    const bool mirrorY = dest.Height() < 0;
    const int rectLeft = std::min(dest.left, dest.right);
    const int rectTop = std::min(dest.top, dest.bottom);
    const long long rectWidth = std::abs(static_cast<long long>(dest.Width()));
    const long long rectHeight = std::abs(static_cast<long long>(dest.Height()));
    const int left = static_cast<int>(std::max<long long>(0, rectLeft));
    const int right = static_cast<int>(std::min<long long>(mWidth, rectLeft + rectWidth));
    const int top = static_cast<int>(std::max<long long>(0, rectTop));
    const int bottom = static_cast<int>(std::min<long long>(mHeight, rectTop + rectHeight));
    if (left >= right || top >= bottom) {
        return;
    }
    std::vector<int> columns(static_cast<std::size_t>(right - left));
    for (int x = left; x < right; ++x) {
        long long dx = x - rectLeft;
        if (mirrorX) {
            dx = rectWidth - 1 - dx;
        }
        columns[static_cast<std::size_t>(x - left)] =
            static_cast<int>((2 * dx + 1) * source.mWidth / (2 * rectWidth));
    }
    std::vector<std::uint8_t> sourceRow(static_cast<std::size_t>(source.mWidth) * 3);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(right - left) * 3);
    int loadedRow = -1;
    for (int y = top; y < bottom; ++y) {
        long long dy = y - rectTop;
        if (mirrorY) {
            dy = rectHeight - 1 - dy;
        }
        const int sy = static_cast<int>((2 * dy + 1) * source.mHeight / (2 * rectHeight));
        if (sy != loadedRow) {
            source.ReadRowBgr(sy, 0, source.mWidth, sourceRow.data());
            loadedRow = sy;
            for (std::size_t i = 0; i < columns.size(); ++i) {
                std::memcpy(&out[i * 3], &sourceRow[static_cast<std::size_t>(columns[i]) * 3], 3);
            }
        }
        WriteRowBgr(y, left, right - left, out.data());
    }
}

} // namespace pixmoth
