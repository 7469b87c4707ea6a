#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PythonCases.h"
#include "TempDir.h"
#include "TestPictures.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/IconReader.h"
#include "imaging/codecs/PngCodec.h"

namespace pixmoth {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

struct Colour {
    std::uint8_t b, g, r, a;
};

// A bitmap picture of an icon: `pixels` (blue, green, red, alpha, rows top
// down) at `bits` (32, 24, or 1, 4 and 8 with `pixels` as their palette in
// order, pixel x of row y using entry (x + y) % entries), and the AND mask's
// bits (1 = screen shows through), top down.
Bytes Dib(int width, int height, int bits, const std::vector<Colour>& pixels,
          const std::vector<std::vector<int>>& mask) {
    Bytes out;
    Put(out, 40, 4);
    Put(out, static_cast<std::uint32_t>(width), 4);
    Put(out, static_cast<std::uint32_t>(2 * height), 4);
    Put(out, 1, 2);
    Put(out, static_cast<std::uint32_t>(bits), 2);
    for (int i = 0; i < 6; ++i) {
        Put(out, 0, 4);
    }
    const bool palette = bits <= 8;
    if (palette) {
        for (int i = 0; i < (1 << bits); ++i) {
            const Colour c = i < int(pixels.size()) ? pixels[i] : Colour{};
            out.insert(out.end(), {c.b, c.g, c.r, 0});
        }
    }
    const auto rowBytes = [](int w, int b) { return (w * b + 31) / 32 * 4; };
    for (int y = height - 1; y >= 0; --y) {
        Bytes row(rowBytes(width, bits));
        for (int x = 0; x < width; ++x) {
            if (palette) {
                const int index = (x + y) % int(pixels.size());
                row[x * bits / 8] |= static_cast<std::uint8_t>(index << (8 - bits - x * bits % 8));
            } else {
                const Colour& c = pixels[y * width + x];
                const std::uint8_t bytes[4] = {c.b, c.g, c.r, c.a};
                std::copy(bytes, bytes + bits / 8, row.begin() + x * bits / 8);
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = height - 1; y >= 0; --y) {
        Bytes row(rowBytes(width, 1));
        for (int x = 0; x < width; ++x) {
            row[x / 8] |= static_cast<std::uint8_t>(mask[y][x] << (7 - x % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// An icon file (type 1) or cursor (type 2) holding the pictures in order.
Bytes IconFile(const std::vector<Bytes>& pictures, int type = 1) {
    Bytes out;
    Put(out, 0, 2);
    Put(out, static_cast<std::uint32_t>(type), 2);
    Put(out, static_cast<std::uint32_t>(pictures.size()), 2);
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * pictures.size());
    for (const Bytes& picture : pictures) {
        // Size and depth bytes left 0, as many writers leave them: the picture's
        // own header counts.
        Put(out, 0, 4);
        Put(out, 1, 2);
        Put(out, 0, 2);
        Put(out, static_cast<std::uint32_t>(picture.size()), 4);
        Put(out, offset, 4);
        offset += static_cast<std::uint32_t>(picture.size());
    }
    for (const Bytes& picture : pictures) {
        out.insert(out.end(), picture.begin(), picture.end());
    }
    return out;
}

Bytes Cut(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

std::vector<std::vector<int>> Mask(int width, int height, int bit = 0) {
    return std::vector<std::vector<int>>(height, std::vector<int>(width, bit));
}

std::string Pixels(const Bitmap& bitmap) {
    std::string text;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            if (!text.empty()) {
                text += ' ';
            }
            text += test::PixelText(bitmap, x, y);
        }
    }
    return text;
}

TEST(IconReader, ReadsIconsAndCursorsOfImageMagickAndIcotoolAsPillowDoes) {
    test::TempDir dir;
    const std::vector<std::string> names = test::MakeCases("icon_cases.py", dir.Path());
    ASSERT_EQ(names.size(), 11u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string base = name.substr(0, name.size() - 4);
        const Bitmap expected =
            test::ReadPpm(dir / (base + (name.ends_with(".cur") ? "-cur" : "") + ".ppm"));
        EXPECT_TRUE(test::SamePicture(LoadIcon(dir / name), expected));
    }
}

TEST(IconReader, TheMaskShowsWhiteThroughOrInvertsIt) {
    const Colour black{0, 0, 0, 0};
    const Colour white{255, 255, 255, 0};
    const Colour teal{10, 20, 30, 0};
    struct Case {
        const char* rule;
        Bytes picture;
        const char* shows;
    };
    const Case cases[] = {
        // Entries alternate along the row: black, white, black, white.
        {"1 bit: mask 0 shows the colour, 1 the white XOR the colour",
         Dib(4, 1, 1, {black, white}, {{0, 0, 1, 1}}), "0,0,0 255,255,255 255,255,255 0,0,0"},
        {"24 bits", Dib(2, 1, 24, {teal, teal}, {{0, 1}}), "10,20,30 245,235,225"},
        {"32 bits without alpha follow the mask", Dib(2, 1, 32, {teal, teal}, {{0, 1}}),
         "10,20,30 245,235,225"},
        {"32 bits with alpha blend onto white and ignore the mask",
         Dib(3, 1, 32, {{10, 20, 30, 0}, {10, 20, 30, 255}, {10, 20, 30, 128}}, {{0, 0, 1}}),
         "255,255,255 10,20,30 132,137,142"},
    };
    for (const Case& c : cases) {
        const Bytes file = IconFile({c.picture});
        EXPECT_EQ(Pixels(DecodeIcon(file.data(), file.size())), c.shows) << c.rule;
    }
}

TEST(IconReader, TheLargestThenDeepestPictureIsShown) {
    const auto solid = [](int size, int bits, std::uint8_t red) {
        const Colour c{0, 0, red, 255};
        return Dib(size, size, bits, std::vector<Colour>(bits <= 8 ? 1 : size * size, c),
                   Mask(size, size));
    };
    Bitmap png = test::SolidBitmap(40, 40, 0, 0, 90);
    const Bytes pngPicture = EncodePng(png);
    struct Case {
        const char* rule;
        std::vector<Bytes> pictures;
        int size;
        int red;
    };
    const Case cases[] = {
        {"largest wins", {solid(16, 32, 10), solid(48, 4, 20), solid(32, 32, 30)}, 48, 20},
        {"of equal size, the deepest",
         {solid(32, 4, 10), solid(32, 32, 20), solid(32, 8, 30), solid(16, 32, 40)},
         32,
         20},
        {"the first of equal ones", {solid(32, 24, 10), solid(32, 24, 20)}, 32, 10},
        {"PNG pictures count by their own header", {solid(32, 32, 10), pngPicture}, 40, 90},
    };
    for (const Case& c : cases) {
        const Bytes file = IconFile(c.pictures);
        const Bitmap shown = DecodeIcon(file.data(), file.size());
        EXPECT_EQ(shown.Width(), c.size) << c.rule;
        EXPECT_EQ(shown.Height(), c.size) << c.rule;
        EXPECT_EQ(shown.PixelColor(0, 0).red, c.red) << c.rule;
    }
}

TEST(IconReader, DamagedFilesAreRefusedWithAMessageNamingTheFile) {
    const Bytes good = Dib(32, 32, 8, {{1, 2, 3, 0}, {4, 5, 6, 0}}, Mask(32, 32));
    Bytes huge = good;
    huge[4] = 0xA0; // 100000 x 100000 pixels
    huge[5] = 0x86;
    huge[6] = 0x01;
    huge[8] = 0x40;
    huge[9] = 0x0D;
    huge[10] = 0x03;
    Bytes threeBits = good;
    threeBits[14] = 3;
    Bytes brokenPng = EncodePng(test::PatternBitmap(20, 20));
    brokenPng[40] ^= 0xFF;
    struct Case {
        const char* name;
        Bytes file;
        const char* says;
    };
    const Case cases[] = {
        {"a.ico", {'B', 'M', 0, 0, 0, 0, 0, 0}, "is not an icon or cursor file"},
        {"b.ico", {0, 0, 1, 0, 0, 0}, "holds no pictures"},
        {"c.ico", {0, 0, 1, 0, 2, 0, 1, 2, 3}, "is truncated"},
        {"d.ico", Cut(IconFile({good}), 22), "holds no picture that can be read"},
        {"e.cur", Cut(IconFile({good}, 2), 22 + good.size() - 200),
         "\": its 32 x 32 picture is truncated"},
        {"f.ico", IconFile({huge}), "picture claims more pixels than this program opens"},
        {"g.ico", IconFile({threeBits}), "holds no picture that can be read"},
        {"h.ico", IconFile({brokenPng}), "its 20 x 20 picture is damaged"},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir / c.name;
        WriteFileAtomically(path, c.file);
        const std::string kind = std::string(c.name).ends_with(".cur") ? "Cursor" : "Icon";
        try {
            LoadIcon(path);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            const std::string text = error.what();
            EXPECT_EQ(text.rfind(kind + " file \"" + path + "\"", 0), 0u) << text;
            EXPECT_NE(text.find(c.says), std::string::npos) << text;
        }
    }
}

} // namespace
} // namespace pixmoth
