#include <algorithm>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "EffectPictures.h"
#include "TestPictures.h"
#include "imaging/Random.h"
#include "imaging/RippleEffects.h"

namespace pixmoth {
namespace {

using test::MakeBitmap;
using test::PatternBitmap;
using test::SamePicture;

// Pixel (x, y) is (x, y, 200 + x): where a pixel came from can be read off it.
Bitmap CoordinatePicture(int w, int h) {
    return MakeBitmap(w, h, [](int x, int y) {
        return PaletteEntry{std::uint8_t(x), std::uint8_t(y), std::uint8_t(200 + x), 0};
    });
}

// The source row of every pixel of the result, column by column.
std::vector<std::vector<int>> SourceRows(const Bitmap& picture) {
    std::vector<std::vector<int>> columns(static_cast<std::size_t>(picture.Width()));
    for (int x = 0; x < picture.Width(); ++x) {
        for (int y = 0; y < picture.Height(); ++y) {
            const PaletteEntry p = picture.PixelColor(x, y);
            EXPECT_EQ(p.blue, x) << "pixel left its column";
            columns[static_cast<std::size_t>(x)].push_back(p.green);
        }
    }
    return columns;
}

TEST(RippleTooth, ShiftsColumnsDownBySawToothOffsets) {
    // H = 6, amount 2: rows 3 .. 0 are copied; offsets 0, 1, 2, 0, 1 by column.
    Bitmap picture = CoordinatePicture(5, 6);
    RippleTooth(picture, 2);
    const std::vector<int> still = {0, 1, 2, 3, 4, 5};
    const std::vector<int> byOne = {0, 0, 1, 2, 3, 5}; // row 5 is out of reach
    const std::vector<int> byTwo = {0, 1, 0, 1, 2, 3};
    EXPECT_EQ(SourceRows(picture), (std::vector<std::vector<int>>{still, byOne, byTwo, still,
                                                                  byOne}));
}

TEST(RippleTooth, AmountIsLimitedToHalfTheHeight) {
    Bitmap limited = CoordinatePicture(6, 6);
    RippleTooth(limited, 1000);
    Bitmap three = CoordinatePicture(6, 6);
    RippleTooth(three, 3);
    EXPECT_TRUE(SamePicture(limited, three));
    // Offsets 0, 1, 2, 3, 0, 1; with a = 3 only rows 0 .. 2 are sources.
    EXPECT_EQ(SourceRows(three)[3], (std::vector<int>{0, 1, 2, 0, 1, 2}));
}

TEST(RippleTriangle, ShiftsColumnsDownByTriangleOffsets) {
    // Offsets 0, 1, 2, 1, 0, 1, 2 for amount 2; 0, 1, 0, 1, ... for amount 1.
    Bitmap picture = CoordinatePicture(7, 6);
    RippleTriangle(picture, 2);
    const std::vector<int> still = {0, 1, 2, 3, 4, 5};
    const std::vector<int> byOne = {0, 0, 1, 2, 3, 5};
    const std::vector<int> byTwo = {0, 1, 0, 1, 2, 3};
    EXPECT_EQ(SourceRows(picture),
              (std::vector<std::vector<int>>{still, byOne, byTwo, byOne, still, byOne, byTwo}));

    Bitmap one = CoordinatePicture(4, 3);
    RippleTriangle(one, 1);
    const std::vector<int> shifted = {0, 0, 1};
    EXPECT_EQ(SourceRows(one), (std::vector<std::vector<int>>{{0, 1, 2}, shifted, {0, 1, 2},
                                                             shifted}));
}

TEST(Ripples, OffsetsWrapAtTwoHundredFiftySix) {
    // a = 300: the 8-bit counter runs 0 .. 255 and wraps to 0 before reaching a.
    for (auto ripple : {RippleTooth, RippleTriangle}) {
        Bitmap picture = CoordinatePicture(258, 600);
        ripple(picture, 300);
        // Green holds the source row modulo 256.
        auto row = [](int y) { return static_cast<std::uint8_t>(y); };
        for (int y : {0, 254, 255, 299, 554}) {
            EXPECT_EQ(picture.PixelColor(255, y).green, row(y >= 255 ? y - 255 : y)) << y;
            EXPECT_EQ(picture.PixelColor(256, y).green, row(y)) << y;
            EXPECT_EQ(picture.PixelColor(257, y).green, row(y >= 1 && y <= 300 ? y - 1 : y)) << y;
        }
    }
}

TEST(Ripples, NothingMovesWithoutAnOffset) {
    // Amount 0 (or less), or a picture one row high.
    const Bitmap original = PatternBitmap(9, 8);
    for (int amount : {0, -1, -2147483647 - 1}) {
        for (auto ripple : {RippleTooth, RippleTriangle, RippleRandom}) {
            Bitmap picture = original;
            ripple(picture, amount);
            EXPECT_TRUE(SamePicture(picture, original)) << amount;
        }
    }
    for (auto ripple : {RippleTooth, RippleTriangle, RippleRandom}) {
        Bitmap row = PatternBitmap(9, 1);
        ripple(row, 5);
        EXPECT_TRUE(SamePicture(row, PatternBitmap(9, 1)));
    }
}

// RippleRandom as described, from a known seed.
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

// The seed `steps` draws before `seed`: the generator's multiplier is odd, so
// each step can be undone.
std::uint32_t SeedBefore(std::uint32_t seed, long long steps) {
    std::uint32_t inverse = 134775813u;
    for (int i = 0; i < 5; ++i) {
        inverse *= 2u - 134775813u * inverse;
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
        const Bitmap original = PatternBitmap(c.w, c.h);
        SetRandSeed(12345);
        Bitmap picture = original;
        RippleRandom(picture, c.amount);
        const int a = std::min(c.h / 2, c.amount);
        const long long draws = static_cast<long long>(c.w) * (c.h - a);
        const std::uint32_t start = SeedBefore(RandSeed(), draws);
        EXPECT_NE(start, 12345u) << "the generator was not reseeded";
        SetRandSeed(start);
        Bitmap expected = original;
        LiteralRippleRandom(expected, c.amount);
        EXPECT_TRUE(SamePicture(picture, expected)) << c.w << "x" << c.h << " " << c.amount;
    }
}

TEST(HeightMap, LiftsBrightPixelsAndTheLowestSourceWins) {
    // One column, amount 2. Lifts: sum 30 -> 0.08 -> 0; grey 128 -> 1.0039 -> 1;
    // white -> 2; (200, 100, 0) -> 0.78 -> 1. Rows 0, 1 and 2 all land on row 0,
    // row 2 last; nothing lands on row 1 or row 4.
    const std::vector<PaletteEntry> column = {
        {10, 10, 10, 0}, {128, 128, 128, 0}, {255, 255, 255, 0}, {128, 128, 128, 0},
        {200, 100, 0, 0}};
    Bitmap picture = MakeBitmap(1, 5, [&](int, int y) { return column[std::size_t(y)]; });
    HeightMap(picture, 2);
    const std::vector<PaletteEntry> expected = {column[2], column[1], column[3], column[4],
                                                column[4]};
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(picture.PixelColor(0, y), expected[std::size_t(y)]) << y;
    }
}

TEST(HeightMap, NegativeAmountsLowerPixelsFromTheOriginal) {
    // Amount -2: white sinks 2 rows, (200, 100, 0) sinks 1; the bottom white would
    // leave the picture. Row 2's pixel is read as it was, not as the white that
    // landed on it.
    const PaletteEntry white{255, 255, 255, 0};
    const PaletteEntry black{0, 0, 0, 0};
    const std::vector<PaletteEntry> column = {white, black, {200, 100, 0, 0}, black, white};
    Bitmap picture = MakeBitmap(1, 5, [&](int, int y) { return column[std::size_t(y)]; });
    HeightMap(picture, -2);
    const std::vector<PaletteEntry> expected = {white, black, white, black, white};
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(picture.PixelColor(0, y), expected[std::size_t(y)]) << y;
    }
}

TEST(HeightMap, ExtremeAmounts) {
    const Bitmap original = PatternBitmap(11, 7);
    Bitmap zero = original;
    HeightMap(zero, 0);
    EXPECT_TRUE(SamePicture(zero, original));
    // Every pixel but black ones lifts out of the picture (or sinks out of it).
    for (int amount : {2147483647, -2147483647 - 1}) {
        Bitmap picture = original;
        HeightMap(picture, amount);
        EXPECT_TRUE(SamePicture(picture, original)) << amount;
    }
}

} // namespace
} // namespace pixmoth
