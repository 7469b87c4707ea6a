#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/bitmap/Bitmap.h"

// The stored shape of a shaped window ("Mask2"): a 32-bit little-endian byte
// count N followed by N bytes of region data in the Win32 RGNDATA layout, a
// 32-byte header (header size 32, type 1 = rectangles, rectangle count, list size
// in bytes, bounding rectangle) and then the rectangles, four signed 32-bit
// integers each, right and bottom exclusive. N = 0 stores "no shape".
namespace pixmoth {

// The rectangles of a stored shape; empty for N = 0. Throws an Error naming the
// problem for data that is cut short or whose header does not add up; the bytes
// after the N data bytes are not looked at.
std::vector<Rect> ReadMask2(const std::uint8_t* data, std::size_t size);

// N and the region data for `rects` (N = 0 for none), the bounding rectangle
// computed from them.
std::vector<std::uint8_t> WriteMask2(const std::vector<Rect>& rects);

} // namespace pixmoth
