#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace pixmoth {

enum class PixelFormat { Bit1, Bit4, Bit8, Bit15, Bit16, Bit24, Bit32 };

// No bitmap of the program needs more pixel bytes; a larger request is a
// damaged header or a runaway size, and refusing it ("Picture too large")
// beats swapping the machine to death.
constexpr std::size_t kMaxBitmapBytes = std::size_t{6} << 30;

int BitsPerPixel(PixelFormat format);
bool HasPalette(PixelFormat format);
// Bytes of one row of `width` pixels, padded to a multiple of 4.
std::size_t RowBytes(int width, PixelFormat format);

// A colour-table entry in the byte order of BMP files (blue, green, red, unused).
struct PaletteEntry {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;
    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

// Edges as in the toolkit's rectangles: right and bottom are one past the last pixel.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The picture every part of the program passes around.
//
// Rows are stored top-down, each padded to 4 bytes, so a 24-bit bitmap is laid
// out exactly as a QImage of Format_BGR888 with the same stride. Pixel formats:
//   1, 4, 8 bits  palette indices (high bits first), palette of 2^bits entries
//   15 bits       x1r5g5b5 little-endian words
//   16 bits       r5g6b5 little-endian words
//   24 bits       blue, green, red bytes
//   32 bits       blue, green, red, unused bytes
// New pixels are black and the padding bytes of every row are zero, so files
// written from a bitmap are deterministic.
class Bitmap {
public:
    Bitmap() = default;
    Bitmap(int width, int height, PixelFormat format = PixelFormat::Bit24);
    Bitmap(const Bitmap& other);
    Bitmap(Bitmap&& other) noexcept;
    Bitmap& operator=(const Bitmap& other);
    Bitmap& operator=(Bitmap&& other) noexcept;
    ~Bitmap() = default;

    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    PixelFormat Format() const { return mFormat; }
    bool Empty() const { return mWidth == 0 || mHeight == 0; }
    // Distance in bytes from one row to the next (rows are top-down, so positive).
    std::ptrdiff_t Stride() const { return static_cast<std::ptrdiff_t>(mStride); }
    std::size_t ByteSize() const { return mStride * static_cast<std::size_t>(mHeight); }

    // Resizing keeps the pixels that stay inside; new pixels are black.
    void SetWidth(int width) { SetSize(width, mHeight); }
    void SetHeight(int height) { SetSize(mWidth, height); }
    void SetSize(int width, int height);

    // Reshapes the bitmap for code that is about to write every pixel: the old
    // pixels are not kept and the memory is reused when it is large enough.
    // Pixel bytes are unspecified afterwards; row padding is zero.
    void Reset(int width, int height, PixelFormat format);

    // Converts every pixel, keeping the picture's appearance. To 8 bits the
    // colours are mapped onto the halftone palette, to 4 bits onto the 16
    // standard colours and to 1 bit onto black and white (nearest colour).
    void SetPixelFormat(PixelFormat format);
    // The step every image operation takes first; a 24-bit bitmap stays untouched.
    void To24Bit() { SetPixelFormat(PixelFormat::Bit24); }

    // Row access; throws "Scan line index out of range" outside 0 .. Height - 1.
    std::uint8_t* ScanLine(int y);
    const std::uint8_t* ScanLine(int y) const;
    // The whole pixel block, row 0 first (null when the bitmap is empty).
    std::uint8_t* Bits() { return mBits.memory; }
    const std::uint8_t* Bits() const { return mBits.memory; }

    // Always 2^bits entries for palette formats (missing ones are black), empty otherwise.
    const std::vector<PaletteEntry>& Palette() const { return mPalette; }
    void SetPalette(std::vector<PaletteEntry> palette);

    // Copies size, pixel format, palette and pixels.
    void Assign(const Bitmap& other) { *this = other; }

    // Canvas operations. Both clip to this bitmap and convert colours to its
    // pixel format; source and destination may not be the same bitmap.
    void Draw(int x, int y, const Bitmap& source);
    // Nearest-pixel stretch of the whole source into `dest` (see Bitmap.cpp for
    // the exact sampling rule). An empty source or rectangle draws nothing.
    void StretchDraw(const Rect& dest, const Bitmap& source);

    // Colour of one pixel as blue, green, red in any pixel format; slow, for tests
    // and for code outside hot loops.
    PaletteEntry PixelColor(int x, int y) const;
    void SetPixelColor(int x, int y, PaletteEntry color);

    // Reads pixels x0 .. x0 + count - 1 of row y as 3-byte BGR triples.
    void ReadRowBgr(int y, int x0, int count, std::uint8_t* out) const;
    // Writes 3-byte BGR triples into pixels x0 .. x0 + count - 1 of row y.
    void WriteRowBgr(int y, int x0, int count, const std::uint8_t* in);

private:
    struct Block {
        std::uint8_t* memory = nullptr;
        std::size_t capacity = 0;
        Block() = default;
        Block(const Block&) = delete;
        Block& operator=(const Block&) = delete;
        ~Block() { Release(); }
        void Release();
        void Swap(Block& other) noexcept;
    };

    void Allocate(int width, int height, PixelFormat format, bool zeroed);
    void ZeroRowPadding();

    int mWidth = 0;
    int mHeight = 0;
    PixelFormat mFormat = PixelFormat::Bit24;
    std::size_t mStride = 0;
    Block mBits;
    std::vector<PaletteEntry> mPalette;
};

} // namespace pixmoth
