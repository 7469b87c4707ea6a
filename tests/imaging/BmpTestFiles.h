#pragma once

#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "imaging/Bitmap.h"

// Hand-made BMP files for the codec's tests: headers are written field by field
// so each test states exactly what its file claims.
namespace pixmoth::test {

using Bytes = std::vector<std::uint8_t>;

struct BmpSpec {
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

    BmpSpec Header(std::uint32_t size) const { return With(&BmpSpec::headerSize, size); }
    BmpSpec Compression(std::uint32_t code) const { return With(&BmpSpec::compression, code); }
    BmpSpec Masks(std::vector<std::uint32_t> m) const { return With(&BmpSpec::masks, m); }
    BmpSpec Used(std::uint32_t count) const { return With(&BmpSpec::colorsUsed, count); }
    BmpSpec Table(std::vector<PaletteEntry> t) const { return With(&BmpSpec::palette, t); }
    BmpSpec Pixels(Bytes p) const { return With(&BmpSpec::pixels, p); }
    BmpSpec Offset(std::uint32_t o) const { return With(&BmpSpec::pixelOffset, o); }

private:
    template <typename Field, typename Value>
    BmpSpec With(Field BmpSpec::*field, Value value) const {
        BmpSpec copy = *this;
        copy.*field = std::move(value);
        return copy;
    }
};

// A bits-per-pixel picture of width x height; the rest is said by the setters.
inline BmpSpec Bmp(int bits, std::int32_t width, std::int32_t height) {
    BmpSpec spec;
    spec.bitCount = static_cast<std::uint16_t>(bits);
    spec.width = width;
    spec.height = height;
    return spec;
}

inline void Put(Bytes& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

inline Bytes MakeBmp(const BmpSpec& spec) {
    Bytes info;
    Put(info, spec.headerSize, 4);
    if (spec.headerSize == 12) {
        Put(info, static_cast<std::uint16_t>(spec.width), 2);
        Put(info, static_cast<std::uint16_t>(spec.height), 2);
        Put(info, 1, 2);
        Put(info, spec.bitCount, 2);
    } else {
        Put(info, static_cast<std::uint32_t>(spec.width), 4);
        Put(info, static_cast<std::uint32_t>(spec.height), 4);
        Put(info, 1, 2);
        Put(info, spec.bitCount, 2);
        Put(info, spec.compression, 4);
        Put(info, spec.pixels.size(), 4);
        Put(info, 2835, 4);
        Put(info, 2835, 4);
        Put(info, spec.colorsUsed, 4);
        Put(info, 0, 4);
        info.resize(std::min<std::size_t>(info.size(), spec.headerSize));
        for (std::uint32_t mask : spec.masks) {
            Put(info, mask, 4);
        }
        info.resize(std::max<std::size_t>(info.size(), spec.headerSize));
    }
    Bytes table;
    for (const PaletteEntry& e : spec.palette) {
        table.insert(table.end(), {e.blue, e.green, e.red});
        if (spec.headerSize != 12) {
            table.push_back(0x77); // reserved bytes are ignored
        }
    }
    const auto offset =
        spec.pixelOffset.value_or(static_cast<std::uint32_t>(14 + info.size() + table.size()));
    Bytes file = {'B', 'M'};
    Put(file, 14 + info.size() + table.size() + spec.pixels.size(), 4);
    Put(file, 0, 4);
    Put(file, offset, 4);
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), table.begin(), table.end());
    file.insert(file.end(), spec.pixels.begin(), spec.pixels.end());
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
