#include <gtest/gtest.h>

#include "TestPictures.h"
#include "capture/RubberBand.h"
#include "imaging/bitmap/Error.h"

namespace pixmoth {
namespace {

using test::PatternBitmap;
using test::SamePicture;

// Which pixels one drawing changed, as a picture of '#' (inverted) and '.'.
std::string ChangedPixels(const Bitmap& before, const Bitmap& after) {
    std::string map;
    for (int y = 0; y < before.Height(); ++y) {
        for (int x = 0; x < before.Width(); ++x) {
            const PaletteEntry a = before.PixelColor(x, y);
            const PaletteEntry b = after.PixelColor(x, y);
            const bool inverted =
                b.blue == 255 - a.blue && b.green == 255 - a.green && b.red == 255 - a.red;
            map += inverted ? '#' : (a == b ? '.' : '?');
        }
        map += '\n';
    }
    return map;
}

Bitmap Drawn(const Bitmap& picture, const Rect& rect, PenStyle style) {
    Bitmap copy(picture);
    InvertOutline(copy, rect, style);
    return copy;
}

TEST(RubberBandTest, DrawingTwiceRestoresThePictureExactly) {
    for (PixelFormat format : {PixelFormat::Bit24, PixelFormat::Bit32}) {
        Bitmap picture = PatternBitmap(64, 48);
        picture.SetPixelFormat(format);
        const Bitmap original(picture);
        for (const Rect& rect : {Rect{3, 4, 60, 40}, Rect{60, 40, 3, 4}, Rect{-10, -10, 40, 30},
                                 Rect{10, 10, 11, 30}, Rect{5, 7, 40, 8}, Rect{2, 2, 4, 4}}) {
            for (PenStyle style : {PenStyle::Dotted, PenStyle::Dashed}) {
                InvertOutline(picture, rect, style);
                EXPECT_FALSE(SamePicture(picture, original));
                InvertOutline(picture, rect, style);
                ASSERT_TRUE(SamePicture(picture, original));
            }
        }
    }
}

TEST(RubberBandTest, DottedOutlineIsTwoOnTwoOffClockwiseFromTopLeft) {
    const Bitmap picture = PatternBitmap(9, 6);
    // Outline of (1, 1) - (8, 5): columns 1 and 7, rows 1 and 4.
    EXPECT_EQ(ChangedPixels(picture, Drawn(picture, {1, 1, 8, 5}, PenStyle::Dotted)),
              ".........\n"
              ".##..##..\n"
              ".#.......\n"
              ".#.....#.\n"
              "...##..#.\n"
              ".........\n");
}

TEST(RubberBandTest, DashedOutlineIsEightOnFourOff) {
    const Bitmap picture = PatternBitmap(12, 4);
    EXPECT_EQ(ChangedPixels(picture, Drawn(picture, {0, 0, 12, 4}, PenStyle::Dashed)),
              "########....\n"
              "#..........#\n"
              "#..........#\n"
              "##....######\n");
}

TEST(RubberBandTest, CornerOrderDoesNotChangeTheOutline) {
    const Bitmap picture = PatternBitmap(20, 20);
    const Bitmap expected = Drawn(picture, {2, 3, 17, 15}, PenStyle::Dotted);
    EXPECT_TRUE(SamePicture(Drawn(picture, {17, 15, 2, 3}, PenStyle::Dotted), expected));
    EXPECT_TRUE(SamePicture(Drawn(picture, {2, 15, 17, 3}, PenStyle::Dotted), expected));
}

TEST(RubberBandTest, OnePixelWideOutlineInvertsEachPixelOnce) {
    const Bitmap picture = PatternBitmap(5, 6);
    EXPECT_EQ(ChangedPixels(picture, Drawn(picture, {2, 0, 3, 6}, PenStyle::Dashed)),
              "..#..\n..#..\n..#..\n..#..\n..#..\n..#..\n");
    EXPECT_EQ(ChangedPixels(picture, Drawn(picture, {0, 3, 5, 4}, PenStyle::Dashed)),
              ".....\n.....\n.....\n#####\n.....\n.....\n");
}

TEST(RubberBandTest, NoWidthOrNoHeightDrawsNothing) {
    const Bitmap picture = PatternBitmap(10, 10);
    EXPECT_TRUE(SamePicture(Drawn(picture, {0, 0, 0, 0}, PenStyle::Dotted), picture));
    EXPECT_TRUE(SamePicture(Drawn(picture, {4, 1, 4, 9}, PenStyle::Dotted), picture));
    EXPECT_TRUE(SamePicture(Drawn(picture, {1, 6, 9, 6}, PenStyle::Dotted), picture));
}

TEST(RubberBandTest, PatternKeepsItsPlaceWhenTheOutlineLeavesThePicture) {
    // The same outline drawn on a picture cut at the left shows the same pixels
    // as the larger picture's matching part.
    const Bitmap wide = PatternBitmap(30, 10);
    Bitmap narrow(20, 10);
    narrow.Draw(-10, 0, wide);
    const Bitmap wideDrawn = Drawn(wide, {2, 1, 28, 9}, PenStyle::Dashed);
    Bitmap expected(20, 10);
    expected.Draw(-10, 0, wideDrawn);
    EXPECT_TRUE(SamePicture(Drawn(narrow, {-8, 1, 18, 9}, PenStyle::Dashed), expected));
}

TEST(RubberBandTest, HugeRectangleFromAFileIsCheap) {
    Bitmap picture = PatternBitmap(16, 16);
    const Bitmap original(picture);
    const Rect huge{-2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647};
    InvertOutline(picture, huge, PenStyle::Dashed); // would take seconds walked pixel by pixel
    EXPECT_TRUE(SamePicture(picture, original));
}

TEST(RubberBandTest, OtherPixelFormatsAreRefused) {
    Bitmap picture(8, 8, PixelFormat::Bit8);
    EXPECT_THROW(InvertOutline(picture, {1, 1, 5, 5}, PenStyle::Dotted), Error);
}

} // namespace
} // namespace pixmoth
