#include "imaging/codecs/DibRows.h"

#include <cstring>

namespace pixmoth {

std::uint8_t PixelBitsOfLastByte(int width, int bits) {
    const auto spare = static_cast<int>((8 - static_cast<std::size_t>(width) * bits % 8) % 8);
    return static_cast<std::uint8_t>(0xFFu << spare);
}

void CleanRowTail(std::uint8_t* row, int width, int bits, std::size_t stride) {
    const std::size_t used = UsedRowBytes(width, bits);
    std::memset(row + used, 0, stride - used);
    row[used - 1] &= PixelBitsOfLastByte(width, bits);
}

} // namespace pixmoth
