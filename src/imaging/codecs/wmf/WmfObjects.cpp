#include "imaging/codecs/wmf/WmfObjects.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/BmpHeader.h"
#include "imaging/codecs/LittleEndian.h"

namespace pixmoth {

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kCoreHeaderBytes = 12;
constexpr std::size_t kFontFaceOffset = 18;
constexpr std::size_t kFontFaceBytes = 32;
// Old pattern bitmaps: the Bitmap16 header and reserved bytes before the bits.
constexpr std::size_t kPatternBitsOffset = 32;
constexpr int kMaxRegionRects = 4096;

// Windows-1252 code points of the bytes 0x80 .. 0x9F; the five the code page
// leaves out keep their own value, as Windows maps them.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void PutLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

WmfBrush GreyBrush() {
    WmfBrush brush;
    brush.color = WmfColor{128, 128, 128};
    return brush;
}

WmfBrush PatternBrushOf(Bitmap pattern) {
    pattern.To24Bit();
    WmfBrush brush;
    brush.style = WmfBrushStyle::Pattern;
    brush.pattern = std::make_shared<const Bitmap>(std::move(pattern));
    return brush;
}

// Where the pixels of a packed DIB start: after the header, the bit-field
// masks of a 40-byte header and the colour table. 0 when the header is unknown.
std::size_t PixelOffset(const std::uint8_t* data, std::size_t size) {
    const std::uint32_t headerSize = Le32(data);
    if (headerSize == kCoreHeaderBytes) {
        const int bits = data[10] | data[11] << 8;
        return headerSize + (bits <= 8 ? (std::size_t{1} << bits) * 3 : 0);
    }
    if (headerSize < 16 || headerSize > 124 || size < headerSize) {
        return 0;
    }
    const int bits = data[14] | data[15] << 8;
    const std::uint32_t compression = headerSize >= 20 ? Le32(data + 16) : 0;
    const std::uint32_t used = headerSize >= 36 ? Le32(data + 32) : 0;
    std::size_t offset = headerSize;
    if (headerSize == 40 && compression == 3) {
        offset += 12;
    } else if (headerSize == 40 && compression == 6) {
        offset += 16;
    }
    std::size_t entries = used;
    if (bits <= 8) {
        const std::size_t all = std::size_t{1} << std::max(bits, 0);
        entries = used != 0 && used < all ? used : all;
    }
    return offset + std::min<std::size_t>(entries, 1 << 16) * 4;
}

} // namespace

WmfColor ReadColorRef(std::uint32_t value) {
    return WmfColor{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                    static_cast<std::uint8_t>(value >> 16)};
}

WmfPen ReadPen(const WmfRecord& record) {
    const std::uint16_t style = record.Word(0);
    WmfPen pen;
    switch (style & 0x0F) {
    case 1:
        pen.style = WmfPenStyle::Dash;
        break;
    case 2:
    case 8: // alternate pixels
        pen.style = WmfPenStyle::Dot;
        break;
    case 3:
        pen.style = WmfPenStyle::DashDot;
        break;
    case 4:
        pen.style = WmfPenStyle::DashDotDot;
        break;
    case 5:
        pen.style = WmfPenStyle::Null;
        break;
    default: // solid, inside frame, user styles
        pen.style = WmfPenStyle::Solid;
        break;
    }
    switch (style & 0x0F00) {
    case 0x0100:
        pen.cap = WmfLineCap::Square;
        break;
    case 0x0200:
        pen.cap = WmfLineCap::Flat;
        break;
    default:
        pen.cap = WmfLineCap::Round;
        break;
    }
    switch (style & 0xF000) {
    case 0x1000:
        pen.join = WmfLineJoin::Bevel;
        break;
    case 0x2000:
        pen.join = WmfLineJoin::Miter;
        break;
    default:
        pen.join = WmfLineJoin::Round;
        break;
    }
    // The width is the x of a point; its y is unused.
    pen.width = std::abs(static_cast<int>(record.Int(1)));
    pen.color = ReadColorRef(record.Dword(3));
    return pen;
}

WmfBrush ReadBrush(const WmfRecord& record) {
    WmfBrush brush;
    brush.color = ReadColorRef(record.Dword(1));
    switch (record.Word(0)) {
    case 1:
        brush.style = WmfBrushStyle::Null;
        break;
    case 2:
        brush.style = WmfBrushStyle::Hatched;
        brush.hatch = static_cast<WmfHatch>(std::min<int>(record.Word(3), 5));
        break;
    default: // solid; pattern styles belong to the pattern brush records
        brush.style = WmfBrushStyle::Solid;
        break;
    }
    return brush;
}

WmfFont ReadFont(const WmfRecord& record) {
    WmfFont font;
    const int height = record.Int(0);
    font.height = std::abs(height);
    font.heightIsCell = height > 0;
    font.width = std::abs(static_cast<int>(record.Int(1)));
    font.angle = record.Int(2) / 10.0;
    font.weight = std::clamp<int>(record.Int(4), 0, 1000);
    const std::uint16_t italicUnderline = record.Word(5);
    font.italic = (italicUnderline & 0xFF) != 0;
    font.underline = (italicUnderline >> 8) != 0;
    font.strikeOut = (record.Word(6) & 0xFF) != 0;
    font.pitchAndFamily = record.Word(8) >> 8;
    if (record.size > kFontFaceOffset) {
        const std::uint8_t* face = record.params + kFontFaceOffset;
        const std::size_t available = std::min(record.size - kFontFaceOffset, kFontFaceBytes);
        const std::size_t length = std::find(face, face + available, std::uint8_t{0}) - face;
        font.face = Cp1252ToUtf8(face, length);
    }
    return font;
}

WmfRegion ReadRegion(const WmfRecord& record) {
    // Words: 0 next in chain, 1 object type, 2-3 object count, 4 region size,
    // 5 scan count, 6 largest scan, 7-10 bounding rectangle, then the scans:
    // count of x values, top, bottom, left/right pairs, the count again.
    WmfRegion region;
    const std::size_t words = record.Words();
    const int scans = record.Word(5);
    std::size_t at = 11;
    for (int scan = 0; scan < scans && at + 3 <= words; ++scan) {
        const std::size_t count = record.Word(at);
        const int top = record.Int(at + 1);
        const int bottom = record.Int(at + 2);
        const std::size_t pairs = count / 2;
        if (at + 3 + 2 * pairs > words) {
            break;
        }
        for (std::size_t i = 0; i < pairs; ++i) {
            if (static_cast<int>(region.rects.size()) >= kMaxRegionRects) {
                return region;
            }
            region.rects.push_back(
                Rect{record.Int(at + 3 + 2 * i), top, record.Int(at + 4 + 2 * i), bottom});
        }
        at += 3 + count + 1;
    }
    return region;
}

std::optional<WmfDib> ReadDib(const std::uint8_t* data, std::size_t size) {
    if (size < kCoreHeaderBytes) {
        return std::nullopt;
    }
    const std::size_t offset = PixelOffset(data, size);
    if (offset == 0 || offset > size) {
        return std::nullopt;
    }
    // The BMP reader takes files: give the packed DIB the file header it lacks.
    std::vector<std::uint8_t> file(kFileHeaderBytes + size);
    file[0] = 'B';
    file[1] = 'M';
    PutLe32(&file[2], static_cast<std::uint32_t>(file.size()));
    PutLe32(&file[10], static_cast<std::uint32_t>(kFileHeaderBytes + offset));
    std::memcpy(file.data() + kFileHeaderBytes, data, size);
    try {
        const BmpHeader header = ParseBmpHeader(file.data(), file.size(), file.size(), "The DIB");
        if (std::uint64_t{static_cast<std::uint32_t>(header.width)} *
                static_cast<std::uint32_t>(header.height) >
            kMaxWmfDibPixels) {
            return std::nullopt;
        }
        WmfDib dib{DecodeBmp(file.data(), file.size()), !header.topDown};
        dib.bitmap.To24Bit();
        return dib;
    } catch (const Error&) {
        return std::nullopt;
    }
}

WmfBrush ReadDibPatternBrush(const WmfRecord& record) {
    // Words 0 and 1: brush style and colour usage; the DIB follows. Palette
    // indices instead of colours (usage 1) need the logical palette, which the
    // player does not keep.
    if (record.Word(1) != 0 || record.size < 4) {
        return GreyBrush();
    }
    std::optional<WmfDib> dib = ReadDib(record.params + 4, record.size - 4);
    if (!dib) {
        return GreyBrush();
    }
    return PatternBrushOf(std::move(dib->bitmap));
}

WmfBrush ReadPatternBrush(const WmfRecord& record) {
    const int width = record.Int(1);
    const int height = record.Int(2);
    const int rowBytes = record.Int(3);
    const int planes = record.Word(4) & 0xFF;
    const int bits = record.Word(4) >> 8;
    if (planes != 1 || bits != 1 || width < 1 || height < 1 || width > 64 || height > 64 ||
        rowBytes * 8 < width ||
        record.size < kPatternBitsOffset + static_cast<std::size_t>(rowBytes) * height) {
        return GreyBrush();
    }
    // Set bits are the light ones of a monochrome device bitmap.
    Bitmap pattern(width, height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = record.params + kPatternBitsOffset + y * rowBytes;
        for (int x = 0; x < width; ++x) {
            const bool set = (row[x / 8] >> (7 - x % 8)) & 1;
            const std::uint8_t level = set ? 255 : 0;
            pattern.SetPixelColor(x, y, PaletteEntry{level, level, level, 0});
        }
    }
    return PatternBrushOf(std::move(pattern));
}

std::string Cp1252ToUtf8(const std::uint8_t* text, std::size_t size) {
    std::string utf8;
    utf8.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t c = text[i];
        const char32_t code = c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c;
        if (code < 0x80) {
            utf8 += static_cast<char>(code);
        } else if (code < 0x800) {
            utf8 += static_cast<char>(0xC0 | code >> 6);
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | code >> 12);
            utf8 += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return utf8;
}

} // namespace pixmoth
