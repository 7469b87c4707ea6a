#include <algorithm>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "EffectPictures.h"
#include "TestPictures.h"
#include "imaging/bitmap/Error.h"
#include "imaging/bitmap/Random.h"
#include "imaging/effects/RippleEffects.h"

namespace pixmoth {
namespace {

using test::MakeBitmap;
using test::PatternBitmap;
using test::SamePicture;

// Pixel (x, y) is (x, y, 200) modulo 256: where a pixel came from can be read off it.
Bitmap CoordinatePicture(int w, int h) {
    return MakeBitmap(w, h, [](int x, int y) {
        return PaletteEntry{std::uint8_t(x), std::uint8_t(y), 200, 0};
    });
}

// The source row (modulo 256) of every pixel, column by column.
std::vector<std::vector<int>> SourceRows(const Bitmap& picture) {
    std::vector<std::vector<int>> columns(static_cast<std::size_t>(picture.Width()));
    for (int x = 0; x < picture.Width(); ++x) {
        for (int y = 0; y < picture.Height(); ++y) {
            EXPECT_EQ(picture.PixelColor(x, y).blue, std::uint8_t(x)) << "pixel left its column";
            columns[static_cast<std::size_t>(x)].push_back(picture.PixelColor(x, y).green);
        }
    }
    return columns;
}

using Columns = std::vector<std::vector<int>>;
// Source rows of a 6-row column shifted down by 0, 1 or 2 with amount 2, where
// only rows 0 .. 3 are copied: what no copy reaches keeps its colour.
const std::vector<int> kStill = {0, 1, 2, 3, 4, 5};
const std::vector<int> kByOne = {0, 0, 1, 2, 3, 5};
const std::vector<int> kByTwo = {0, 1, 0, 1, 2, 3};

TEST(RippleTooth, ShiftsColumnsDownBySawToothOffsets) {
    Bitmap picture = CoordinatePicture(5, 6);
    RippleTooth(picture, 2);
    EXPECT_EQ(SourceRows(picture), (Columns{kStill, kByOne, kByTwo, kStill, kByOne}));
    // The amount is limited to half the height: offsets 0, 1, 2, 3, 0 from rows 0 .. 2.
    Bitmap limited = CoordinatePicture(5, 6);
    RippleTooth(limited, 1000);
    EXPECT_EQ(SourceRows(limited)[3], (std::vector<int>{0, 1, 2, 0, 1, 2}));
}

TEST(RippleTriangle, ShiftsColumnsDownByTriangleOffsets) {
    Bitmap picture = CoordinatePicture(7, 6);
    RippleTriangle(picture, 2); // offsets 0, 1, 2, 1, 0, 1, 2
    EXPECT_EQ(SourceRows(picture),
              (Columns{kStill, kByOne, kByTwo, kByOne, kStill, kByOne, kByTwo}));
    Bitmap one = CoordinatePicture(4, 3);
    RippleTriangle(one, 1); // offsets 0, 1, 0, 1
    EXPECT_EQ(SourceRows(one), (Columns{{0, 1, 2}, {0, 0, 1}, {0, 1, 2}, {0, 0, 1}}));
}

TEST(Ripples, OffsetsWrapAtTwoHundredFiftySix) {
    // a = 300: the 8-bit counter runs 0 .. 255 and wraps to 0 before reaching a;
    // rows 0 .. 299 are copied.
    for (auto ripple : {RippleTooth, RippleTriangle}) {
        Bitmap picture = CoordinatePicture(258, 600);
        ripple(picture, 300);
        const Columns rows = SourceRows(picture);
        for (int y : {0, 254, 255, 299, 554}) {
            const auto at = static_cast<std::size_t>(y);
            EXPECT_EQ(rows[255][at], std::uint8_t(y >= 255 ? y - 255 : y)) << y;
            EXPECT_EQ(rows[256][at], std::uint8_t(y)) << y;
            EXPECT_EQ(rows[257][at], std::uint8_t(y >= 1 && y <= 300 ? y - 1 : y)) << y;
        }
    }
}

// RippleRandom as described, from the current seed.
void LiteralRippleRandom(Bitmap& picture, int amount) {
    const int h = picture.Height();
    const int a = std::min(h / 2, amount);
    for (int y = h - 1 - a; y >= 0; --y) {
        std::uint8_t off = 0;
        for (int x = 0; x < picture.Width(); ++x) {
            picture.SetPixelColor(x, y + off, picture.PixelColor(x, y));
            off = static_cast<std::uint8_t>(Random(a));
        }
    }
}

// The seed `steps` draws before `seed`: the multiplier is odd, so a step can be undone.
std::uint32_t SeedBefore(std::uint32_t seed, long long steps) {
    std::uint32_t inverse = 134775813u;
    for (int i = 0; i < 5; ++i) {
        inverse *= 2u - 134775813u * inverse; // Newton's iteration doubles the correct bits
    }
    for (long long i = 0; i < steps; ++i) {
        seed = (seed - 1u) * inverse;
    }
    return seed;
}

TEST(RippleRandom, DrawsOneOffsetAfterEveryPixelFromAFreshSeed) {
    struct Case {
        int w, h, amount;
    };
    for (const Case& c : std::vector<Case>{{17, 12, 4}, {30, 600, 300}, {5, 9, 1}, {8, 8, 0}}) {
        SetRandSeed(12345);
        Bitmap picture = PatternBitmap(c.w, c.h);
        RippleRandom(picture, c.amount);
        const long long draws = static_cast<long long>(c.w) * (c.h - std::min(c.h / 2, c.amount));
        const std::uint32_t start = SeedBefore(RandSeed(), draws);
        EXPECT_NE(start, 12345u) << "not reseeded";
        SetRandSeed(start);
        Bitmap expected = PatternBitmap(c.w, c.h);
        LiteralRippleRandom(expected, c.amount);
        EXPECT_TRUE(SamePicture(picture, expected)) << c.w << "x" << c.h << " " << c.amount;
    }
}

TEST(HeightMap, MovesPixelsByTheirBrightnessByHand) {
    const PaletteEntry white{255, 255, 255, 0};
    const PaletteEntry grey{128, 128, 128, 0};
    const PaletteEntry brown{200, 100, 0, 0};
    const PaletteEntry dark{10, 10, 10, 0};
    struct Case {
        const char* name;
        int amount;
        std::vector<PaletteEntry> column, expected;
    };
    const std::vector<Case> cases = {
        // Lifts: dark 0.08 -> 0, grey 1.0039 -> 1, white 2, brown 0.78 -> 1. Rows 0,
        // 1 and 2 land on row 0, row 2 last; nothing lands on rows 1 and 4.
        {"up, the lowest source wins",
         2,
         {dark, grey, white, grey, brown},
         {white, grey, grey, brown, brown}},
        // White sinks 2 rows, brown and grey 1, dark stays. Row 2 is read as it
        // was, not as the white that landed on it; the dark bottom row comes last.
        {"down, from the original",
         -2,
         {white, dark, brown, grey, dark},
         {white, dark, white, brown, dark}},
    };
    for (const Case& c : cases) {
        Bitmap picture = MakeBitmap(1, 5, [&](int, int y) { return c.column[std::size_t(y)]; });
        HeightMap(picture, c.amount);
        for (int y = 0; y < 5; ++y) {
            EXPECT_EQ(picture.PixelColor(0, y), c.expected[std::size_t(y)]) << c.name << " " << y;
        }
    }
    // A pixel sunk below the last row asks for a row that does not exist.
    Bitmap sinking = MakeBitmap(1, 3, [&](int, int y) { return y == 2 ? grey : dark; });
    try {
        HeightMap(sinking, -2);
        FAIL() << "a pixel left the picture without an error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Scan line index out of range");
    }
}

} // namespace
} // namespace pixmoth
