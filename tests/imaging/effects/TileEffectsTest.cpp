#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "EffectPictures.h"
#include "TestPictures.h"
#include "imaging/bitmap/Error.h"
#include "imaging/effects/TileEffects.h"

namespace pixmoth {
namespace {

using test::Channel;
using test::Grey;
using test::GreyBitmap;
using test::MakeBitmap;
using test::PatternBitmap;
using test::SamePicture;

// Every pixel (x, y) of `picture` must be pixel from(x, y) of `original`.
::testing::AssertionResult TakenFrom(const Bitmap& picture, const Bitmap& original,
                                     const std::function<std::pair<int, int>(int, int)>& from) {
    const Bitmap expected = MakeBitmap(original.Width(), original.Height(), [&](int x, int y) {
        const auto [fx, fy] = from(x, y);
        return original.PixelColor(fx, fy);
    });
    return SamePicture(picture, expected);
}

TEST(Mosaic, FillsBlocksWithTheirTopLeftPixelCutByTheBorder) {
    // Size 10 on 25 x 25: 3 x 3 blocks, the last ones 5 pixels wide or high.
    const Bitmap original = PatternBitmap(25, 25);
    Bitmap picture = original;
    Mosaic(picture, 10);
    EXPECT_TRUE(TakenFrom(picture, original, [](int x, int y) {
        return std::pair{x / 10 * 10, y / 10 * 10};
    }));
    Bitmap oneBlock = PatternBitmap(7, 3);
    Mosaic(oneBlock, 2147483647);
    EXPECT_TRUE(TakenFrom(oneBlock, PatternBitmap(7, 3), [](int, int) { return std::pair{0, 0}; }));
}

TEST(Seamless, DepthTwoOnFourByFourByHand) {
    // Blue and green follow the values, red 255 - values: halfway values then
    // round the other way in red, so a channel mix-up shows.
    const std::vector<int> values = {1, 2, 3, 4, 5, 6, 7, 8, 11, 20, 30, 40, 100, 50, 0, 255};
    Bitmap picture = MakeBitmap(4, 4, [&](int x, int y) {
        const auto v = static_cast<std::uint8_t>(values[static_cast<std::size_t>(y * 4 + x)]);
        return PaletteEntry{v, v, static_cast<std::uint8_t>(255 - v), 0};
    });
    Seamless(picture, 2);
    // Row 0 := row 3; row 1 := round((row 2 - row 0) / 2 + row 0), e.g.
    // (11 - 100) / 2 + 100 = 55.5 -> 56; then in every row pixel 3 := pixel 0 and
    // pixel 2 := round((pixel 2 - pixel 3) / 2 + pixel 3), e.g. 20.5 -> 20.
    EXPECT_EQ(Channel(picture, 0), (std::vector<int>{100, 50, 50, 100, 56, 35, 36, 56, 11, 20, 20,
                                                     11, 100, 50, 50, 100}));
    EXPECT_EQ(Channel(picture, 1), Channel(picture, 0));
    // Red: 199.5 -> 200, 107.5 -> 108, 234.5 -> 234.
    EXPECT_EQ(Channel(picture, 2), (std::vector<int>{155, 205, 205, 155, 200, 220, 220, 200, 244,
                                                     235, 234, 244, 155, 205, 205, 155}));
}

TEST(Seamless, DepthOneGivesTheBottomLeftColourInsteadOfFailing) {
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{5, 4}, {1, 1}, {1, 3}, {3, 1}}) {
        Bitmap picture = PatternBitmap(w, h);
        Seamless(picture, 1);
        EXPECT_TRUE(TakenFrom(picture, PatternBitmap(w, h),
                              [h = h](int, int) {
                                  return std::pair{0, h - 1};
                              }))
            << w << "x" << h;
    }
}

TEST(Seamless, WithoutRampsOnlyTheEdgesAreCopied) {
    // Depth beyond the picture or negative: row 0 := row 3, then pixel 3 := pixel 0.
    for (int depth : {5, -1, -2147483647 - 1}) {
        Bitmap picture = PatternBitmap(4, 4);
        Seamless(picture, depth);
        EXPECT_TRUE(TakenFrom(picture, PatternBitmap(4, 4), [](int x, int y) {
            return std::pair{x == 3 ? 0 : x, y == 0 ? 3 : y};
        })) << depth;
    }
}

TEST(HorizClip, RampsByHand) {
    // d = 3. Right: pixels 4, 3 from 61 towards 40: 54, 47. Left, from k = 2 down:
    // pixel 2 = round(20 / 3 * 2 + 10) = 23, then pixel 1 = round((23 - 10) / 3 + 10)
    // = 14 with the new pixel 2 (the old 30 would give 17).
    Bitmap picture = GreyBitmap(6, 1, {10, 20, 30, 40, 50, 61});
    HorizClip(picture, 2);
    EXPECT_EQ(Grey(picture), (std::vector<int>{10, 14, 23, 47, 54, 61}));
    // Depth 1, d = W = 4: the right ramp, 40 towards 10 by -7.5, gives 32.5 -> 32,
    // 25, 17.5 -> 18 (pixel 0 last); the left one, from the new 18 to 40, gives
    // 34.5 -> 34 for pixel 3, then 26 and 22 towards the new 34.
    Bitmap overlapping = GreyBitmap(4, 2, {10, 20, 30, 40, 10, 20, 30, 40});
    HorizClip(overlapping, 1);
    EXPECT_EQ(Grey(overlapping), (std::vector<int>{18, 22, 26, 34, 18, 22, 26, 34}));
}

TEST(DepthZero, FailsWithDivisionByZeroBeforeChangingAnything) {
    Bitmap original(6, 5, PixelFormat::Bit8);
    for (int i = 0; i < 6 * 5; ++i) {
        original.ScanLine(i / 6)[i % 6] = static_cast<std::uint8_t>(i * 41);
    }
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

TEST(Triangles, RowsAreCutIntoRunsByTwoTriangleWaves) {
    const Bitmap original = PatternBitmap(12, 7);
    Bitmap picture = original;
    Triangles(picture, 5);
    // Size 5, half 2. Rows 0 and 4: t1 = 5, t2 = 4, so pixels 0, 5, 10 (x mod 5 = 0)
    // and 1, 5, 9 (x mod 4 = 1) keep their colour and the others repeat the last
    // kept one. Rows 1, 2, 3 and 5 keep every pixel (t1 = 1, or t1 = t2 = 2).
    // Row 6: t1 = 2, t2 = 3.
    const std::vector<int> runs = {0, 1, 1, 1, 1, 5, 5, 5, 5, 9, 10, 10};
    const std::vector<int> row6 = {0, 1, 2, 2, 4, 4, 6, 7, 8, 8, 10, 10};
    EXPECT_TRUE(TakenFrom(picture, original, [&](int x, int y) {
        const auto i = static_cast<std::size_t>(x);
        return std::pair{y == 0 || y == 4 ? runs[i] : y == 6 ? row6[i] : x, y};
    }));
}

TEST(Triangles, SmallSizesActAsFiveAndEvenSizesAsTheNextOdd) {
    auto run = [](int size) {
        Bitmap picture = PatternBitmap(40, 37);
        Triangles(picture, size);
        return picture;
    };
    const Bitmap five = run(5);
    for (int size : {-2147483647 - 1, -3, 0, 1, 4}) {
        EXPECT_TRUE(SamePicture(run(size), five)) << size;
    }
    EXPECT_TRUE(SamePicture(run(6), run(7)));
    EXPECT_FALSE(SamePicture(run(7), five));
    EXPECT_TRUE(SamePicture(run(2147483646), run(2147483647)));
}

// Texturize by its own description: a stretched tile drawn again and again.
Bitmap LiteralTexturize(Bitmap picture, int size, bool overlap) {
    const int s = std::min({picture.Width() / 2, picture.Height() / 2, size});
    Bitmap tile(s, s);
    tile.StretchDraw(Rect{0, 0, s, s}, picture);
    const int step = overlap ? static_cast<int>(std::lrint(2.0 * s / 3)) : s;
    for (int y = 0; y < picture.Height(); y += step) {
        for (int x = 0; x < picture.Width(); x += step) {
            picture.Draw(x, y, tile);
        }
    }
    return picture;
}

TEST(Texturize, MatchesTilesDrawnOneAfterTheOther) {
    struct Case {
        int w, h, size;
    };
    for (const Case& c : std::vector<Case>{{20, 14, 5},
                                           {20, 14, 7},
                                           {20, 14, 100},
                                           {9, 31, 3},
                                           {31, 9, 4},
                                           {6, 6, 1},
                                           {6, 6, 2},
                                           {13, 13, 6}}) {
        for (bool overlap : {false, true}) {
            Bitmap picture = PatternBitmap(c.w, c.h);
            (overlap ? TexturizeOverlap : TexturizeTile)(picture, c.size);
            EXPECT_TRUE(
                SamePicture(picture, LiteralTexturize(PatternBitmap(c.w, c.h), c.size, overlap)))
                << c.w << "x" << c.h << " size " << c.size << (overlap ? " overlap" : " tile");
        }
    }
}

TEST(Texturize, OverlapStepsByTwoThirdsOfTheTile) {
    // Size 3 on 7 x 7: the tile samples columns and rows (2k + 1) * 7 div 6 = 1, 3,
    // 5; tiles every 2 pixels leave only the first two of them visible.
    const Bitmap original = PatternBitmap(7, 7);
    Bitmap picture = original;
    TexturizeOverlap(picture, 3);
    EXPECT_TRUE(TakenFrom(picture, original, [](int x, int y) {
        return std::pair{x % 2 ? 3 : 1, y % 2 ? 3 : 1};
    }));
    // Size 1 steps by 1: everything takes the one tile pixel, the source's centre.
    Bitmap single = PatternBitmap(7, 5);
    TexturizeOverlap(single, 1);
    EXPECT_TRUE(TakenFrom(single, PatternBitmap(7, 5), [](int, int) { return std::pair{3, 2}; }));
}

} // namespace
} // namespace pixmoth
