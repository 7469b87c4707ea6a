#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "EffectPictures.h"
#include "TestPictures.h"
#include "imaging/Error.h"
#include "imaging/TileEffects.h"

namespace pixmoth {
namespace {

using test::Channel;
using test::GreyBitmap;
using test::MakeBitmap;
using test::PatternBitmap;
using test::SamePicture;

TEST(Mosaic, FillsBlocksWithTheirTopLeftPixelCutByTheBorder) {
    const Bitmap original = PatternBitmap(25, 25);
    Bitmap picture = original;
    Mosaic(picture, 10);
    // 3 x 3 blocks starting at 0, 10 and 20; the last ones 5 pixels wide or high.
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 25; ++x) {
            EXPECT_EQ(picture.PixelColor(x, y), original.PixelColor(x / 10 * 10, y / 10 * 10))
                << x << "," << y;
        }
    }
    Bitmap oneBlock = PatternBitmap(7, 3);
    Mosaic(oneBlock, 2147483647);
    EXPECT_TRUE(SamePicture(oneBlock, MakeBitmap(7, 3, [&](int, int) {
                                return PatternBitmap(7, 3).PixelColor(0, 0);
                            })));
}

TEST(Mosaic, SizeOneOrLessChangesNothing) {
    for (int size : {1, 0, -1, -2147483647 - 1}) {
        Bitmap picture = PatternBitmap(9, 4);
        Mosaic(picture, size);
        EXPECT_TRUE(SamePicture(picture, PatternBitmap(9, 4))) << size;
    }
}

// Blue and green follow `values`, red follows 255 - values: the rounding of
// halfway values goes the other way in red, so a channel mix-up shows.
Bitmap RampPicture(int w, int h, const std::vector<int>& values) {
    return MakeBitmap(w, h, [&](int x, int y) {
        const auto v = static_cast<std::uint8_t>(values[static_cast<std::size_t>(y * w + x)]);
        return PaletteEntry{v, v, static_cast<std::uint8_t>(255 - v), 0};
    });
}

TEST(Seamless, DepthTwoOnFourByFourByHand) {
    Bitmap picture = RampPicture(4, 4,
                                 {1, 2, 3, 4, //
                                  5, 6, 7, 8, //
                                  11, 20, 30, 40, //
                                  100, 50, 0, 255});
    Seamless(picture, 2);
    // Row 0 := row 3; row 1 := round((row 2 - row 0) / 2 + row 0), e.g.
    // (11 - 100) / 2 + 100 = 55.5 -> 56; then in every row pixel 3 := pixel 0 and
    // pixel 2 := round((pixel 2 - pixel 3) / 2 + pixel 3), e.g. 20.5 -> 20.
    EXPECT_EQ(Channel(picture, 0), (std::vector<int>{100, 50, 50, 100, //
                                                     56, 35, 36, 56, //
                                                     11, 20, 20, 11, //
                                                     100, 50, 50, 100}));
    EXPECT_EQ(Channel(picture, 1), Channel(picture, 0));
    // Red: 199.5 -> 200, 107.5 -> 108, 234.5 -> 234.
    EXPECT_EQ(Channel(picture, 2), (std::vector<int>{155, 205, 205, 155, //
                                                     200, 220, 220, 200, //
                                                     244, 235, 234, 244, //
                                                     155, 205, 205, 155}));
}

TEST(Seamless, DepthOneGivesTheBottomLeftColourInsteadOfFailing) {
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{5, 4}, {1, 1}, {1, 3}, {3, 1}}) {
        const Bitmap original = PatternBitmap(w, h);
        Bitmap picture = original;
        Seamless(picture, 1);
        const PaletteEntry corner = original.PixelColor(0, h - 1);
        EXPECT_TRUE(SamePicture(picture, MakeBitmap(w, h, [&](int, int) { return corner; })))
            << w << "x" << h;
    }
}

TEST(Seamless, DepthBeyondThePictureOrNegativeOnlyCopiesTheEdges) {
    for (int depth : {5, 100, -1, -2, -2147483647 - 1}) {
        const Bitmap original = PatternBitmap(4, 4);
        Bitmap picture = original;
        Seamless(picture, depth);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                // Row 0 := row 3, then pixel 3 := pixel 0; ramps of length <= 1.
                const int fromY = y == 0 ? 3 : y;
                const int fromX = x == 3 ? 0 : x;
                EXPECT_EQ(picture.PixelColor(x, y), original.PixelColor(fromX, fromY))
                    << depth << ": " << x << "," << y;
            }
        }
    }
}

TEST(HorizClip, RampsTowardsTheNewInnerPixelByHand) {
    // d = 3. Right: pixels 4, 3 from 61 towards 40: 54, 47. Left, from k = 2 down:
    // pixel 2 = round(20 / 3 * 2 + 10) = 23, then pixel 1 = round((23 - 10) / 3 + 10)
    // = 14 with the new pixel 2 (the old 30 would give 17).
    Bitmap picture = GreyBitmap(6, 1, {10, 20, 30, 40, 50, 61});
    HorizClip(picture, 2);
    EXPECT_EQ(test::Grey(picture), (std::vector<int>{10, 14, 23, 47, 54, 61}));
}

TEST(HorizClip, OverlappingRampsRunOneAfterTheOther) {
    // Depth 1, d = W = 4. Right ramp from 40 towards 10 in steps of -7.5: 32.5 -> 32,
    // 25, 17.5 -> 18 (pixel 0 rewritten last). Left ramp from the new pixel 0 (18)
    // to pixel 3 (40): 34.5 -> 34, then 26 and 22 towards the new 34.
    Bitmap picture = GreyBitmap(4, 2, {10, 20, 30, 40, 10, 20, 30, 40});
    HorizClip(picture, 1);
    EXPECT_EQ(test::Grey(picture), (std::vector<int>{18, 22, 26, 34, 18, 22, 26, 34}));
}

TEST(HorizClip, RampsOfOnePixelOrLessChangeNothing) {
    for (int depth : {7, 100, -1, -3, -2147483647 - 1}) {
        Bitmap picture = PatternBitmap(7, 3);
        HorizClip(picture, depth);
        EXPECT_TRUE(SamePicture(picture, PatternBitmap(7, 3))) << depth;
    }
}

TEST(DepthZero, FailsWithDivisionByZeroBeforeChangingAnything) {
    const Bitmap original = test::EightBitPattern(6, 5);
    for (auto effect : {Seamless, HorizClip}) {
        Bitmap picture = original;
        try {
            effect(picture, 0);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "Division by zero");
        }
        EXPECT_EQ(picture.Format(), PixelFormat::Bit8);
        EXPECT_TRUE(SamePicture(picture, original));
    }
}

// Pixel x of row y is (x, y, 100 + x) in blue, green and red.
Bitmap CoordinatePicture(int w, int h) {
    return MakeBitmap(w, h, [](int x, int y) {
        return PaletteEntry{std::uint8_t(x), std::uint8_t(y), std::uint8_t(100 + x), 0};
    });
}

TEST(Triangles, RowsAreCutIntoRunsByTwoTriangleWaves) {
    Bitmap picture = CoordinatePicture(12, 7);
    Triangles(picture, 5);
    // Size 5, half 2. Row 0: t1 = 5, t2 = 4, so pixels 0, 5, 10 (x mod 5 = 0) and
    // 1, 5, 9 (x mod 4 = 1) keep their colour and the others repeat the last kept.
    // Row 1: t1 = 1 keeps every pixel. Row 6: t1 = 2, t2 = 3.
    const std::vector<std::vector<int>> sources = {
        {0, 1, 1, 1, 1, 5, 5, 5, 5, 9, 10, 10},
        {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
        {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
        {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
        {0, 1, 1, 1, 1, 5, 5, 5, 5, 9, 10, 10},
        {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
        {0, 1, 2, 2, 4, 4, 6, 7, 8, 8, 10, 10}};
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 12; ++x) {
            const int from = sources[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            EXPECT_EQ(picture.PixelColor(x, y), (PaletteEntry{std::uint8_t(from), std::uint8_t(y),
                                                              std::uint8_t(100 + from), 0}))
                << x << "," << y;
        }
    }
}

TEST(Triangles, SmallSizesActAsFiveAndEvenSizesAsTheNextOdd) {
    const Bitmap original = PatternBitmap(40, 37);
    auto run = [&](int size) {
        Bitmap picture = original;
        Triangles(picture, size);
        return picture;
    };
    const Bitmap five = run(5);
    EXPECT_FALSE(SamePicture(five, original));
    for (int size : {-2147483647 - 1, -3, 0, 1, 2, 3, 4}) {
        EXPECT_TRUE(SamePicture(run(size), five)) << size;
    }
    EXPECT_TRUE(SamePicture(run(6), run(7)));
    EXPECT_FALSE(SamePicture(run(7), five));
    EXPECT_TRUE(SamePicture(run(2147483646), run(2147483647)));
}

// Texturize by its own description: a stretched tile drawn again and again.
Bitmap LiteralTexturize(const Bitmap& original, int size, bool overlap) {
    Bitmap picture = original;
    const int w = picture.Width();
    const int h = picture.Height();
    const int s = std::min(h / 2, std::min(w / 2, size));
    Bitmap tile(s, s);
    tile.StretchDraw(Rect{0, 0, s, s}, picture);
    const int step = overlap ? static_cast<int>(std::lrint(2.0 * s / 3)) : s;
    int y = 0;
    do {
        int x = 0;
        do {
            picture.Draw(x, y, tile);
            x += step;
        } while (x < w);
        y += step;
    } while (y < h);
    return picture;
}

TEST(Texturize, MatchesTilesDrawnOneAfterTheOther) {
    struct Case {
        int w, h, size;
    };
    for (const Case& c : std::vector<Case>{{20, 14, 5}, {20, 14, 7}, {20, 14, 100}, {9, 31, 3},
                                           {31, 9, 4}, {6, 6, 1}, {6, 6, 2}, {13, 13, 6}}) {
        const Bitmap original = PatternBitmap(c.w, c.h);
        for (bool overlap : {false, true}) {
            Bitmap picture = original;
            (overlap ? TexturizeOverlap : TexturizeTile)(picture, c.size);
            EXPECT_TRUE(SamePicture(picture, LiteralTexturize(original, c.size, overlap)))
                << c.w << "x" << c.h << " size " << c.size << (overlap ? " overlap" : " tile");
        }
    }
}

TEST(Texturize, TileOfTwoByHand) {
    // The 2 x 2 tile samples source columns (1 * 6) div 4 = 1 and (3 * 6) div 4 = 4,
    // rows (1 * 4) div 4 = 1 and (3 * 4) div 4 = 3.
    const Bitmap original = CoordinatePicture(6, 4);
    Bitmap picture = original;
    TexturizeTile(picture, 2);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(picture.PixelColor(x, y),
                      original.PixelColor(x % 2 ? 4 : 1, y % 2 ? 3 : 1))
                << x << "," << y;
        }
    }
}

TEST(Texturize, OverlapStepsByTwoThirdsOfTheTile) {
    // Size 3 on 7 x 7: the tile samples columns and rows 1, 3, 5; tiles every 2
    // pixels leave only the first two of them visible.
    const Bitmap original = CoordinatePicture(7, 7);
    Bitmap picture = original;
    TexturizeOverlap(picture, 3);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 7; ++x) {
            EXPECT_EQ(picture.PixelColor(x, y),
                      original.PixelColor(x % 2 ? 3 : 1, y % 2 ? 3 : 1))
                << x << "," << y;
        }
    }
    // Size 1 steps by 1: everything takes the one tile pixel, the source's centre.
    Bitmap single = CoordinatePicture(7, 5);
    TexturizeOverlap(single, 1);
    const PaletteEntry centre = original.PixelColor(3, 2);
    EXPECT_TRUE(SamePicture(single, MakeBitmap(7, 5, [&](int, int) { return centre; })));
}

TEST(Texturize, NoTileLeavesThePictureAsItIs) {
    // A tile size of 0 (asked for, or a picture under 2 pixels on a side) would
    // never advance; negative sizes have no tile either.
    struct Case {
        int w, h, size;
    };
    for (const Case& c : std::vector<Case>{{8, 8, 0}, {8, 8, -4}, {1, 9, 5}, {9, 1, 5}, {1, 1, 3},
                                           {8, 8, -2147483647 - 1}}) {
        for (auto effect : {TexturizeTile, TexturizeOverlap}) {
            Bitmap picture = PatternBitmap(c.w, c.h);
            effect(picture, c.size);
            EXPECT_TRUE(SamePicture(picture, PatternBitmap(c.w, c.h)))
                << c.w << "x" << c.h << " size " << c.size;
        }
    }
}

} // namespace
} // namespace pixmoth
