#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imaging/bitmap/Bitmap.h"
#include "imaging/codecs/wmf/WmfCanvas.h"
#include "imaging/codecs/wmf/WmfFile.h"

// The graphics objects a metafile creates, read from their records. Sizes stay
// in the metafile's logical units here (pen width, font height and width); the
// player scales them when it draws.
namespace pixmoth {

// A COLORREF: red in the low byte.
WmfColor ReadColorRef(std::uint32_t value);

WmfPen ReadPen(const WmfRecord& record);
WmfBrush ReadBrush(const WmfRecord& record);
WmfFont ReadFont(const WmfRecord& record);

// A region as the union of its rectangles, in logical units.
struct WmfRegion {
    std::vector<Rect> rects;
};
WmfRegion ReadRegion(const WmfRecord& record);

// A packed device-independent bitmap (info header, colour table, pixels) as
// 24 bits, or nothing when it is damaged, unsupported or larger than
// kMaxWmfDibPixels. `bottomUp` tells how its rows were stored, which decides
// where source coordinates start.
constexpr std::uint64_t kMaxWmfDibPixels = std::uint64_t{1} << 24;
struct WmfDib {
    Bitmap bitmap;
    bool bottomUp = true;
};
std::optional<WmfDib> ReadDib(const std::uint8_t* data, std::size_t size);
// Pattern brushes: a packed DIB (DibCreatePatternBrush) or an old
// device-dependent monochrome bitmap (CreatePatternBrush). Anything unreadable
// gives a solid grey brush, so shapes filled with it still show.
WmfBrush ReadDibPatternBrush(const WmfRecord& record);
WmfBrush ReadPatternBrush(const WmfRecord& record);

// Text of the Windows ANSI code page (1252) as UTF-8; stops at nothing, so
// embedded NULs stay.
std::string Cp1252ToUtf8(const std::uint8_t* text, std::size_t size);

} // namespace pixmoth
