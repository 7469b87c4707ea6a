#include <vector>

#include <gtest/gtest.h>

#include "EffectPictures.h"
#include "TestPictures.h"
#include "imaging/EdgeEffects.h"

namespace pixmoth {
namespace {

using test::Channel;
using test::GreyBitmap;
using test::MakeBitmap;
using test::PatternBitmap;
using test::SamePicture;
using test::SolidBitmap;

constexpr PaletteEntry kWhite{255, 255, 255, 0};
constexpr PaletteEntry kRed{0, 0, 255, 0};
constexpr PaletteEntry kBlack{0, 0, 0, 0};

TEST(Emboss, MidGreyBecomes127ExceptTheLastRowAndThreeColumns) {
    Bitmap picture = SolidBitmap(9, 6, 128, 128, 128);
    Emboss(picture);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 9; ++x) {
            const int expected = (y < 5 && x < 6) ? 127 : 128;
            EXPECT_EQ(picture.PixelColor(x, y), (PaletteEntry{std::uint8_t(expected),
                                                              std::uint8_t(expected),
                                                              std::uint8_t(expected), 0}))
                << x << "," << y;
        }
    }
}

TEST(Emboss, MixesEachChannelWithTheInverseOfThePixelThreeRightOneDown) {
    // 4 x 2: only pixel (0, 0) has a partner inside, pixel (3, 1).
    Bitmap picture = SolidBitmap(4, 2, 77, 77, 77);
    picture.SetPixelColor(0, 0, {10, 100, 200, 0});
    picture.SetPixelColor(3, 1, {0, 50, 255, 0});
    Emboss(picture);
    // (10 + 255) shr 1, (100 + 205) shr 1, (200 + 0) shr 1
    EXPECT_EQ(picture.PixelColor(0, 0), (PaletteEntry{132, 152, 100, 0}));
    EXPECT_EQ(picture.PixelColor(3, 1), (PaletteEntry{0, 50, 255, 0}));
    EXPECT_EQ(picture.PixelColor(1, 0), (PaletteEntry{77, 77, 77, 0}));
}

TEST(Emboss, ReadsTheRowBelowBeforeItIsRewritten) {
    // (0, 0) reads (3, 1), which row 1 itself rewrites to 63 later.
    Bitmap picture = SolidBitmap(7, 3, 128, 128, 128);
    picture.SetPixelColor(3, 1, kBlack);
    Emboss(picture);
    EXPECT_EQ(picture.PixelColor(0, 0).blue, 191); // (128 + 255 - 0) shr 1
    EXPECT_EQ(picture.PixelColor(3, 1).blue, 63);  // (0 + 255 - 128) shr 1
}

TEST(Shadow, CopiesTheDarkerPixelFourRightFourUpPlusOne) {
    const PaletteEntry base{200, 100, 50, 0};
    Bitmap picture = MakeBitmap(6, 6, [&](int, int) { return base; });
    picture.SetPixelColor(4, 0, {10, 255, 254, 0}); // darker in blue: copied to (0, 4)
    picture.SetPixelColor(5, 1, {199, 20, 30, 0});  // one darker: copied to (1, 5)
    picture.SetPixelColor(5, 0, {200, 0, 0, 0});    // equal blue: (1, 4) keeps its colour
    const Bitmap before = picture;
    Shadow(picture);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            PaletteEntry expected = before.PixelColor(x, y);
            if (x == 0 && y == 4) {
                expected = {11, 255, 255, 0}; // green saturates instead of wrapping to 0
            } else if (x == 1 && y == 5) {
                expected = {200, 21, 31, 0};
            }
            EXPECT_EQ(picture.PixelColor(x, y), expected) << x << "," << y;
        }
    }
}

TEST(Shadow, CopiesOnlyUnchangedPixels) {
    // (8, 0) is copied to (4, 4); (0, 8) compares with (4, 4) as it was, which is
    // not darker, so the shadow does not travel twice.
    Bitmap picture = SolidBitmap(10, 10, 200, 200, 200);
    picture.SetPixelColor(8, 0, {10, 10, 10, 0});
    Shadow(picture);
    EXPECT_EQ(picture.PixelColor(4, 4), (PaletteEntry{11, 11, 11, 0}));
    EXPECT_EQ(picture.PixelColor(0, 8), (PaletteEntry{200, 200, 200, 0}));
}

TEST(AntiAlias, SmoothingPropagatesDownAndToTheRight) {
    Bitmap picture = GreyBitmap(4, 4,
                                {0, 0, 0, 0, //
                                 0, 100, 40, 0, //
                                 0, 80, 200, 0, //
                                 0, 0, 0, 0});
    AntiAlias(picture);
    // (1,1) = (0 + 80 + 0 + 40) shr 2; (2,1) = (0 + 200 + 30 + 0) shr 2;
    // (1,2) = (30 + 0 + 0 + 200) shr 2; (2,2) = (57 + 0 + 57 + 0) shr 2.
    EXPECT_EQ(test::Grey(picture), (std::vector<int>{0, 0, 0, 0, //
                                                     0, 30, 57, 0, //
                                                     0, 57, 28, 0, //
                                                     0, 0, 0, 0}));
}

TEST(AntiAliasRect, OrdersTheCornersAndKeepsOffTheBorder) {
    const std::vector<int> values = {0, 0, 0, 0, 0, 100, 40, 0, 0, 80, 200, 0, 0, 0, 0, 0};
    Bitmap whole = GreyBitmap(4, 4, values);
    AntiAlias(whole);
    struct Case {
        const char* name;
        int x1, y1, x2, y2;
    };
    for (const Case& c : {Case{"reversed corners", 9, 9, -3, -3},
                          Case{"far outside", -1000000, -2147483647 - 1, 2147483647, 1000000}}) {
        Bitmap picture = GreyBitmap(4, 4, values);
        AntiAliasRect(picture, c.x1, c.y1, c.x2, c.y2);
        EXPECT_TRUE(SamePicture(picture, whole)) << c.name;
    }
    // One pixel: (2, 1) from its original neighbours, 0 + 200 + 100 + 0.
    Bitmap one = GreyBitmap(4, 4, values);
    AntiAliasRect(one, 2, 1, 2, 1);
    std::vector<int> expected = values;
    expected[6] = 75;
    EXPECT_EQ(test::Grey(one), expected);
}

TEST(AntiAlias, PicturesWithoutAnInsideStayTheSame) {
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {2, 9}, {9, 2}, {1, 5}}) {
        Bitmap picture = PatternBitmap(w, h);
        const Bitmap before = picture;
        AntiAlias(picture);
        EXPECT_TRUE(SamePicture(picture, before)) << w << "x" << h;
    }
}

// White picture with one red pixel; returns the positions painted black.
std::vector<std::pair<int, int>> TraceMarks(int w, int h, int redX, int redY, int intensity) {
    Bitmap picture = MakeBitmap(w, h, [&](int x, int y) {
        return x == redX && y == redY ? kRed : kWhite;
    });
    Trace(picture, intensity);
    std::vector<std::pair<int, int>> black;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const PaletteEntry p = picture.PixelColor(x, y);
            if (p == kBlack) {
                black.emplace_back(x, y);
            } else {
                EXPECT_EQ(p, (x == redX && y == redY) ? kRed : kWhite) << x << "," << y;
            }
        }
    }
    return black;
}

using Marks = std::vector<std::pair<int, int>>;

TEST(Trace, TheFirstDifferenceFixesWhichSideIsPainted) {
    // Forward sweep: the first difference, (1,0) over the red pixel, paints its
    // white side and makes red the target; later the white side is painted when
    // the sweep stands on white, the neighbour when it stands on red.
    EXPECT_EQ(TraceMarks(4, 3, 1, 1, 1), (Marks{{1, 0}, {0, 1}, {2, 1}, {1, 2}}));
    EXPECT_EQ(TraceMarks(4, 3, 1, 1, 2), (Marks{{1, 0}, {0, 1}, {2, 1}, {1, 2}}));
}

TEST(Trace, TheLastTwoColumnsAreOnlySeenByTheBackwardSweep) {
    EXPECT_EQ(TraceMarks(4, 3, 3, 1, 1), Marks{});
    const Marks second = {{3, 0}, {2, 1}, {3, 2}};
    EXPECT_EQ(TraceMarks(4, 3, 3, 1, 2), second);
    EXPECT_EQ(TraceMarks(4, 3, 3, 1, 3), second);
}

TEST(Trace, NarrowPicturesCompareOnlyInsideTheRow) {
    // Width 1: only vertical neighbours; width 2: x = 0 is visited.
    EXPECT_EQ(TraceMarks(1, 3, 0, 1, 1), (Marks{{0, 0}, {0, 2}}));
    EXPECT_EQ(TraceMarks(1, 3, 0, 1, 2), (Marks{{0, 0}, {0, 2}}));
    EXPECT_EQ(TraceMarks(2, 2, 1, 0, 1), (Marks{{0, 0}}));
    EXPECT_EQ(TraceMarks(2, 2, 1, 0, 2), (Marks{{0, 0}, {1, 1}}));
    EXPECT_EQ(TraceMarks(3, 1, 1, 0, 5), Marks{}); // one row: no sweep at all
}

TEST(Trace, UniformPicturesAndNonPositiveIntensitiesChangeNothing) {
    const Bitmap uniform = SolidBitmap(7, 5, 30, 140, 220);
    for (int intensity : {1, 2, 3, 2147483647}) {
        Bitmap picture = uniform;
        Trace(picture, intensity);
        EXPECT_TRUE(SamePicture(picture, uniform)) << intensity;
    }
    const Bitmap pattern = PatternBitmap(7, 5);
    for (int intensity : {0, -1, -2147483647 - 1}) {
        Bitmap picture = pattern;
        Trace(picture, intensity);
        EXPECT_TRUE(SamePicture(picture, pattern)) << intensity;
    }
}

TEST(Trace, IntensityTwoAndHigherGiveTheSamePicture) {
    Bitmap two = PatternBitmap(23, 17);
    Trace(two, 2);
    for (int intensity : {3, 4, 255, 2147483647}) {
        Bitmap more = PatternBitmap(23, 17);
        Trace(more, intensity);
        EXPECT_TRUE(SamePicture(more, two)) << intensity;
    }
    Bitmap one = PatternBitmap(23, 17);
    Trace(one, 1);
    EXPECT_FALSE(SamePicture(one, two));
}

} // namespace
} // namespace pixmoth
