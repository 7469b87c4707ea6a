#include <vector>

#include <gtest/gtest.h>

#include "EffectPictures.h"
#include "TestPictures.h"
#include "imaging/effects/EdgeEffects.h"

namespace pixmoth {
namespace {

using test::Grey;
using test::GreyBitmap;
using test::MakeBitmap;
using test::PatternBitmap;
using test::SamePicture;
using test::SolidBitmap;

TEST(Emboss, MidGreyBecomes127ExceptTheLastRowAndThreeColumns) {
    Bitmap picture = SolidBitmap(9, 6, 128, 128, 128);
    Emboss(picture);
    std::vector<int> expected;
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 9; ++x) {
            expected.push_back(y < 5 && x < 6 ? 127 : 128);
        }
    }
    EXPECT_EQ(Grey(picture), expected);
}

TEST(Emboss, MixesEachChannelWithTheOriginalPixelThreeRightOneDown) {
    Bitmap picture = SolidBitmap(7, 3, 128, 128, 128);
    picture.SetPixelColor(0, 0, {10, 100, 200, 0});
    picture.SetPixelColor(3, 1, {0, 50, 255, 0}); // rewritten itself only after row 0
    Emboss(picture);
    // (10 + 255 - 0) shr 1, (100 + 255 - 50) shr 1, (200 + 255 - 255) shr 1
    EXPECT_EQ(picture.PixelColor(0, 0), (PaletteEntry{132, 152, 100, 0}));
    EXPECT_EQ(picture.PixelColor(3, 1), (PaletteEntry{63, 88, 191, 0}));
}

TEST(Shadow, CopiesUnchangedPixelsFourRightFourUpThatAreDarkerInBlue) {
    Bitmap picture = SolidBitmap(10, 10, 200, 100, 50);
    picture.SetPixelColor(4, 0, {10, 255, 254, 0}); // to (0, 4); green saturates
    picture.SetPixelColor(5, 1, {199, 20, 30, 0});  // one darker: to (1, 5)
    picture.SetPixelColor(5, 0, {200, 0, 0, 0});    // equal blue: (1, 4) stays
    picture.SetPixelColor(8, 0, {10, 10, 10, 0});   // to (4, 4), but not on to (0, 8)
    const Bitmap before = picture;
    Shadow(picture);
    Bitmap expected = before;
    expected.SetPixelColor(0, 4, {11, 255, 255, 0});
    expected.SetPixelColor(1, 5, {200, 21, 31, 0});
    expected.SetPixelColor(4, 4, {11, 11, 11, 0});
    EXPECT_TRUE(SamePicture(picture, expected));
}

TEST(AntiAlias, SmoothingPropagatesDownAndToTheRight) {
    const std::vector<int> values = {0, 0, 0, 0, 0, 100, 40, 0, 0, 80, 200, 0, 0, 0, 0, 0};
    Bitmap picture = GreyBitmap(4, 4, values);
    AntiAlias(picture);
    // (1,1) = (0 + 80 + 0 + 40) shr 2; (2,1) = (0 + 200 + 30 + 0) shr 2;
    // (1,2) = (30 + 0 + 0 + 200) shr 2; (2,2) = (57 + 0 + 57 + 0) shr 2.
    const std::vector<int> smoothed = {0, 0, 0, 0, 0, 30, 57, 0, 0, 57, 28, 0, 0, 0, 0, 0};
    EXPECT_EQ(Grey(picture), smoothed);

    // Corners in any order, clipped to the inside.
    Bitmap reversed = GreyBitmap(4, 4, values);
    AntiAliasRect(reversed, 2147483647, 9, -2147483647 - 1, -3);
    EXPECT_EQ(Grey(reversed), smoothed);
    // One pixel, from its original neighbours: 0 + 200 + 100 + 0.
    Bitmap one = GreyBitmap(4, 4, values);
    AntiAliasRect(one, 2, 1, 2, 1);
    std::vector<int> expected = values;
    expected[6] = 75;
    EXPECT_EQ(Grey(one), expected);
}

using Marks = std::vector<std::pair<int, int>>;

// Trace of a white picture with one red pixel: the places painted black.
Marks TraceMarks(int w, int h, int redX, int redY, int intensity) {
    const PaletteEntry white{255, 255, 255, 0};
    const PaletteEntry red{0, 0, 255, 0};
    Bitmap picture =
        MakeBitmap(w, h, [&](int x, int y) { return x == redX && y == redY ? red : white; });
    Trace(picture, intensity);
    Marks black;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const PaletteEntry p = picture.PixelColor(x, y);
            if (p == PaletteEntry{0, 0, 0, 0}) {
                black.emplace_back(x, y);
            } else {
                EXPECT_EQ(p, (x == redX && y == redY) ? red : white) << x << "," << y;
            }
        }
    }
    return black;
}

TEST(Trace, MarksByHand) {
    struct Case {
        const char* name;
        int w, h, redX, redY, intensity;
        Marks black;
    };
    const std::vector<Case> cases = {
        // The first difference, (1, 0) over the red pixel, paints its white side
        // and makes red the target: then the white side of a difference is
        // painted when the sweep stands on white, the neighbour when on red.
        {"target fixed by the first difference", 4, 3, 1, 1, 1, {{1, 0}, {0, 1}, {2, 1}, {1, 2}}},
        {"backward sweep repeats it", 4, 3, 1, 1, 2, {{1, 0}, {0, 1}, {2, 1}, {1, 2}}},
        {"last two columns unseen forward", 4, 3, 3, 1, 1, {}},
        {"last two columns seen backward", 4, 3, 3, 1, 2, {{3, 0}, {2, 1}, {3, 2}}},
        {"third pass repeats the second", 4, 3, 3, 1, 3, {{3, 0}, {2, 1}, {3, 2}}},
        {"width 1 compares vertically only", 1, 3, 0, 1, 2, {{0, 0}, {0, 2}}},
        {"width 2 forward", 2, 2, 1, 0, 1, {{0, 0}}},
        {"width 2 backward", 2, 2, 1, 0, 2, {{0, 0}, {1, 1}}},
        {"one row has no sweep", 3, 1, 1, 0, 5, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TraceMarks(c.w, c.h, c.redX, c.redY, c.intensity), c.black) << c.name;
    }
}

TEST(Trace, IntensityTwoAndHigherGiveTheSamePicture) {
    Bitmap two = PatternBitmap(23, 17);
    Trace(two, 2);
    for (int intensity : {3, 255, 2147483647}) {
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
