#pragma once

#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "imaging/bitmap/Bitmap.h"

// Hand-made BMP files for the codec's tests: headers are written field by field
// so each test states exactly what its file claims.
namespace pixmoth::test {

using Bytes = std::vector<std::uint8_t>;

struct BmpLayout {
    std::uint32_t headerSize = 40;
    std::int32_t width = 1;
    std::int32_t height = 1; // negative: top-down
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    // Bit-field masks: after a 40-byte header, inside larger ones.
    std::vector<std::uint32_t> masks;
    // 3 bytes per entry in a 12-byte header's table, else 4.
    std::vector<PaletteEntry> palette;
    Bytes pixels;
    std::optional<std::uint32_t> pixelOffset; // default: right after the table

    BmpLayout Header(std::uint32_t size) const { return With(&BmpLayout::headerSize, size); }
    BmpLayout Compression(std::uint32_t code) const { return With(&BmpLayout::compression, code); }
    BmpLayout Masks(std::vector<std::uint32_t> m) const { return With(&BmpLayout::masks, m); }
    BmpLayout Used(std::uint32_t count) const { return With(&BmpLayout::colorsUsed, count); }
    BmpLayout Table(std::vector<PaletteEntry> t) const { return With(&BmpLayout::palette, t); }
    BmpLayout Pixels(Bytes p) const { return With(&BmpLayout::pixels, p); }
    BmpLayout Offset(std::uint32_t o) const { return With(&BmpLayout::pixelOffset, o); }

private:
    template <typename Field, typename Value>
    BmpLayout With(Field BmpLayout::*field, Value value) const {
        BmpLayout copy = *this;
        copy.*field = std::move(value);
        return copy;
    }
};

// A bits-per-pixel picture of width x height; the rest is said by the setters.
inline BmpLayout Bmp(int bits, std::int32_t width, std::int32_t height) {
    BmpLayout layout;
    layout.bitCount = static_cast<std::uint16_t>(bits);
    layout.width = width;
    layout.height = height;
    return layout;
}

// Little-endian fields of a written file.
inline std::uint32_t Field32(const Bytes& file, std::size_t at) {
    return file[at] | (file[at + 1] << 8) | (file[at + 2] << 16) |
           (static_cast<std::uint32_t>(file[at + 3]) << 24);
}

inline std::uint16_t Field16(const Bytes& file, std::size_t at) {
    return static_cast<std::uint16_t>(file[at] | (file[at + 1] << 8));
}

inline void Put(Bytes& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

inline Bytes MakeBmp(const BmpLayout& layout) {
    Bytes info;
    Put(info, layout.headerSize, 4);
    if (layout.headerSize == 12) {
        Put(info, static_cast<std::uint16_t>(layout.width), 2);
        Put(info, static_cast<std::uint16_t>(layout.height), 2);
        Put(info, 1, 2);
        Put(info, layout.bitCount, 2);
    } else {
        Put(info, static_cast<std::uint32_t>(layout.width), 4);
        Put(info, static_cast<std::uint32_t>(layout.height), 4);
        Put(info, 1, 2);
        Put(info, layout.bitCount, 2);
        Put(info, layout.compression, 4);
        Put(info, layout.pixels.size(), 4);
        Put(info, 2835, 4);
        Put(info, 2835, 4);
        Put(info, layout.colorsUsed, 4);
        Put(info, 0, 4);
        info.resize(std::min<std::size_t>(info.size(), layout.headerSize));
        for (std::uint32_t mask : layout.masks) {
            Put(info, mask, 4);
        }
        info.resize(std::max<std::size_t>(info.size(), layout.headerSize));
    }
    Bytes table;
    for (const PaletteEntry& e : layout.palette) {
        table.insert(table.end(), {e.blue, e.green, e.red});
        if (layout.headerSize != 12) {
            table.push_back(0x77); // reserved bytes are ignored
        }
    }
    const auto offset =
        layout.pixelOffset.value_or(static_cast<std::uint32_t>(14 + info.size() + table.size()));
    Bytes file = {'B', 'M'};
    Put(file, 14 + info.size() + table.size() + layout.pixels.size(), 4);
    Put(file, 0, 4);
    Put(file, offset, 4);
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), table.begin(), table.end());
    file.insert(file.end(), layout.pixels.begin(), layout.pixels.end());
    return file;
}

// Writes `bytes` to `path` and returns the path.
inline std::string WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

// The file's bytes; none when it is missing.
inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Every pixel as "b,g,r", pixels separated by spaces and rows by " / ".
inline std::string PixelsText(const Bitmap& bitmap) {
    std::string text;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            const PaletteEntry c = bitmap.PixelColor(x, y);
            text += (x ? " " : (y ? " / " : "")) + std::to_string(c.blue) + "," +
                    std::to_string(c.green) + "," + std::to_string(c.red);
        }
    }
    return text;
}

} // namespace pixmoth::test
