#pragma once

#include <cstddef>
#include <cstdint>

// Pieces shared by the writers and readers of device-independent bitmaps (BMP
// files, icons and cursors): little-endian fields and the rows' used bytes.
namespace pixmoth {

inline void PutLe16(std::uint8_t*& p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p += 2;
}

inline void PutLe32(std::uint8_t*& p, std::uint32_t v) {
    PutLe16(p, v & 0xFFFF);
    PutLe16(p, v >> 16);
}

// Bytes of a row that hold pixels, without the padding to 4.
inline std::size_t UsedRowBytes(int width, int bits) {
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 7) / 8;
}

// The bits of a row's last used byte that belong to pixels; the rest are spare.
std::uint8_t PixelBitsOfLastByte(int width, int bits);

// Zeroes what follows the last pixel of a row: padding bytes and the spare low
// bits of a partly used last byte, which files may fill with anything.
void CleanRowTail(std::uint8_t* row, int width, int bits, std::size_t stride);

} // namespace pixmoth
