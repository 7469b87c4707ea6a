#include "capture/RegionData.h"

#include <algorithm>

#include "imaging/bitmap/Error.h"

namespace pixmoth {

namespace {

constexpr std::uint32_t kHeaderSize = 32;
constexpr std::uint32_t kRectangles = 1;
constexpr std::uint32_t kRectBytes = 16;

std::uint32_t ReadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::int32_t ReadI32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(ReadU32(p));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void PutRect(std::vector<std::uint8_t>& out, const Rect& rect) {
    PutU32(out, static_cast<std::uint32_t>(rect.left));
    PutU32(out, static_cast<std::uint32_t>(rect.top));
    PutU32(out, static_cast<std::uint32_t>(rect.right));
    PutU32(out, static_cast<std::uint32_t>(rect.bottom));
}

} // namespace

std::vector<Rect> ReadMask2(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        throw Error("Region data is cut short: no byte count");
    }
    const std::uint32_t n = ReadU32(data);
    if (n == 0) {
        return {};
    }
    if (n > size - 4) {
        throw Error("Region data is cut short: " + std::to_string(size - 4) + " of " +
                    std::to_string(n) + " bytes");
    }
    const std::uint8_t* region = data + 4;
    if (n < kHeaderSize || ReadU32(region) != kHeaderSize) {
        throw Error("Region data has no valid header");
    }
    if (ReadU32(region + 4) != kRectangles) {
        throw Error("Region data is not a list of rectangles");
    }
    const std::uint32_t count = ReadU32(region + 8);
    // Compared in 64 bits: a hostile count must not wrap around.
    const std::uint64_t listBytes = std::uint64_t{count} * kRectBytes;
    if (listBytes > n - kHeaderSize) {
        throw Error("Region data announces " + std::to_string(count) +
                    " rectangles but holds fewer");
    }
    // The list size field is advisory (the platform writes it, but only the count
    // is used to read), so it is not checked.
    std::vector<Rect> rects;
    rects.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* p = region + kHeaderSize + std::size_t{i} * kRectBytes;
        rects.push_back({ReadI32(p), ReadI32(p + 4), ReadI32(p + 8), ReadI32(p + 12)});
    }
    return rects;
}

std::vector<std::uint8_t> WriteMask2(const std::vector<Rect>& rects) {
    std::vector<std::uint8_t> out;
    if (rects.empty()) {
        PutU32(out, 0);
        return out;
    }
    Rect bound = rects.front();
    for (const Rect& rect : rects) {
        bound.left = std::min(bound.left, rect.left);
        bound.top = std::min(bound.top, rect.top);
        bound.right = std::max(bound.right, rect.right);
        bound.bottom = std::max(bound.bottom, rect.bottom);
    }
    const auto listBytes = static_cast<std::uint32_t>(rects.size() * kRectBytes);
    out.reserve(4 + kHeaderSize + listBytes);
    PutU32(out, kHeaderSize + listBytes);
    PutU32(out, kHeaderSize);
    PutU32(out, kRectangles);
    PutU32(out, static_cast<std::uint32_t>(rects.size()));
    PutU32(out, listBytes);
    PutRect(out, bound);
    for (const Rect& rect : rects) {
        PutRect(out, rect);
    }
    return out;
}

} // namespace pixmoth
