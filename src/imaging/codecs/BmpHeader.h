#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/bitmap/Bitmap.h"

// The headers of a BMP file, read and checked before any pixel memory is taken.
namespace pixmoth {

enum class BmpCompression { None, Rle8, Rle4, Rle24, BitFields };

struct BmpHeader {
    int width = 0;
    int height = 0; // always positive; see topDown
    bool topDown = false;
    int bitCount = 0;
    BmpCompression compression = BmpCompression::None;
    // Channel masks of 16- and 32-bit pixels, defaults filled in for files without bit fields.
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;
    // The file's colour table, at most 2^bitCount entries (fewer when the file has
    // fewer); reserved bytes are zero. Empty above 8 bits.
    std::vector<PaletteEntry> palette;
    std::uint64_t pixelOffset = 0; // where the pixel data starts in the file
    std::uint64_t pixelBytes = 0;  // bytes from there to the end of the file

    // Bytes of one stored row (uncompressed), padded to 4.
    std::size_t FileRowBytes() const;
};

// Every header, bit-field mask and colour table lies within this many bytes of
// the start of a file, so a reader that holds them knows the whole layout.
constexpr std::size_t kBmpHeadBytes = 14 + 124 + 16 + 256 * 4;

// Pictures claiming more pixels than this are refused before any allocation.
constexpr std::uint64_t kMaxBmpPixels = 200'000'000;

// Reads the headers from `head`, the first `headSize` bytes of data whose full
// size is `fileSize` (headSize < fileSize only when it is at least
// kBmpHeadBytes). Checks every claimed size against fileSize: an uncompressed
// picture must be in the file, except that the last stored row may lack its
// padding. Errors read `subject` + " is truncated" and so on.
BmpHeader ParseBmpHeader(const std::uint8_t* head, std::size_t headSize, std::uint64_t fileSize,
                         const std::string& subject);

// Throws the Error "<subject> <what>".
[[noreturn]] void ThrowBmpError(const std::string& subject, const std::string& what);

} // namespace pixmoth
