#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestPictures.h"
#include "chrome/SplitterButton.h"

namespace pixmoth {
namespace {

using test::SamePicture;

constexpr PaletteEntry kFill{10, 20, 30};
constexpr PaletteEntry kArrow{128, 0, 0};
constexpr PaletteEntry kTexture1{0, 200, 0};
constexpr PaletteEntry kTexture2{0, 0, 200};
constexpr ButtonColors kColors{kFill, kArrow, kTexture1, kTexture2};

// The face as one letter a pixel: G frame grey, W white edge, . fill, A arrow,
// 1 and 2 the texture dots.
std::vector<std::string> Letters(const Bitmap& face) {
    std::vector<std::string> rows;
    for (int y = 0; y < face.Height(); ++y) {
        std::string row;
        for (int x = 0; x < face.Width(); ++x) {
            const PaletteEntry c = face.PixelColor(x, y);
            row += c == PaletteEntry{128, 128, 128}   ? 'G'
                   : c == PaletteEntry{255, 255, 255} ? 'W'
                   : c == kTexture1                   ? '1'
                   : c == kFill                       ? '.'
                   : c == kArrow                      ? 'A'
                   : c == kTexture2                   ? '2'
                                                      : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(SplitterButton, LayoutCentresTheButtonAlongTheBarAndInsetsItAcross) {
    using enum TAlign;
    using enum TButtonWidthType;
    struct Row {
        const char* meaning;
        TAlign align;
        int width, height, buttonWidth;
        TButtonWidthType type;
        bool beveled;
        Rect expected;
    } rows[] = {
        {"211 pixels on an upright bar of 472",
         alLeft,
         10,
         472,
         211,
         btwPixels,
         false,
         {1, 130, 9, 341}},
        {"the same lying down", alTop, 472, 10, 211, btwPixels, false, {130, 1, 341, 9}},
        {"beveled: 3 more across", alRight, 10, 472, 211, btwPixels, true, {4, 130, 6, 341}},
        {"50 percent of 400", alLeft, 10, 400, 50, btwPercentage, false, {1, 100, 9, 300}},
        {"percentage of the width for a flat bar",
         alBottom,
         300,
         8,
         100,
         btwPercentage,
         false,
         {1, 1, 299, 7}},
        {"odd remainder rounds the offset down", alLeft, 10, 11, 4, btwPixels, false, {1, 3, 9, 7}},
        {"longer than the bar stays one pixel inside",
         alLeft,
         10,
         100,
         211,
         btwPixels,
         false,
         {1, 1, 9, 99}},
        {"length 0: no button", alLeft, 10, 472, 0, btwPixels, false, {}},
        {"1 percent of 20 rounds to 0: no button", alLeft, 10, 20, 1, btwPercentage, false, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.meaning);
        EXPECT_EQ(
            LayoutButton(row.align, row.width, row.height, row.buttonWidth, row.type, row.beveled),
            row.expected);
    }
}

TEST(SplitterButton, MulDivRoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(472, 50, 100), 236);
    EXPECT_EQ(MulDiv(5, 50, 100), 3);
    EXPECT_EQ(MulDiv(-5, 50, 100), -3);
    EXPECT_EQ(MulDiv(180, -1, 255), -1);
    EXPECT_EQ(MulDiv(180, 202, 255), 143);
    EXPECT_EQ(MulDiv(7, 3, 0), -1);
}

TEST(SplitterButton, AutoHighlightGoesMostOfTheWayFromCaptionToFace) {
    EXPECT_EQ(AutoHighlightColor({106, 36, 10}, {200, 208, 212}), (PaletteEntry{172, 157, 153}));
    EXPECT_EQ(AutoHighlightColor({255, 255, 255}, {0, 0, 0}), (PaletteEntry{75, 75, 75}));
}

TEST(SplitterButton, ArrowsPointToTheNeighbourAndAwayWhileCollapsed) {
    using enum TAlign;
    const TAlign rows[][3] = {
        // align, restored, maximized
        {alLeft, alLeft, alRight},   {alRight, alRight, alLeft}, {alTop, alTop, alBottom},
        {alBottom, alBottom, alTop}, {alNone, alNone, alTop},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ArrowDirection(row[0], false), row[1]);
        EXPECT_EQ(ArrowDirection(row[0], true), row[2]);
    }
}

// Hand-drawn from the drawing rules for an 8 x 40 button of a left-docked bar.
const std::vector<std::string> kUprightRestored = {
    "GGGGGGGG", "GWWWWWWG", "GW.....G", "GW.....G", "GW.....G", "GW.....G", "GW.....G", "GW...A.G",
    "GW..AA.G", "GW.AAA.G", "GW..AA.G", "GW...A.G", "GW.....G", "GW.....G", "GW.....G", "GW.....G",
    "GW.1...G", "GW..2..G", "GW.....G", "GW.1...G", "GW..2..G", "GW.....G", "GW.1...G", "GW..2..G",
    "GW.....G", "GW.....G", "GW.....G", "GW.....G", "GW...A.G", "GW..AA.G", "GW.AAA.G", "GW..AA.G",
    "GW...A.G", "GW.....G", "GW.....G", "GW.....G", "GW.....G", "GW.....G", "GW.....G", "GGGGGGGG",
};

TEST(SplitterButton, UprightFaceHasFrameArrowsAndTexture) {
    EXPECT_EQ(Letters(PaintButtonFace(8, 40, TAlign::alLeft, false, kColors)), kUprightRestored);

    std::vector<std::string> maximized = kUprightRestored;
    for (int top : {7, 28}) {
        maximized[top] = maximized[top + 4] = "GW.A...G";
        maximized[top + 1] = maximized[top + 3] = "GW.AA..G";
        maximized[top + 2] = "GW.AAA.G";
    }
    EXPECT_EQ(Letters(PaintButtonFace(8, 40, TAlign::alLeft, true, kColors)), maximized);
}

TEST(SplitterButton, FlatFaceIsTheUprightFaceTransposed) {
    using enum TAlign;
    const TAlign pairs[][2] = {{alTop, alLeft}, {alBottom, alRight}};
    for (const auto& pair : pairs) {
        for (bool maximized : {false, true}) {
            const Bitmap upright = PaintButtonFace(9, 47, pair[1], maximized, kColors);
            Bitmap transposed(47, 9);
            for (int y = 0; y < 9; ++y) {
                for (int x = 0; x < 47; ++x) {
                    transposed.SetPixelColor(x, y, upright.PixelColor(y, x));
                }
            }
            EXPECT_TRUE(
                SamePicture(PaintButtonFace(47, 9, pair[0], maximized, kColors), transposed));
        }
    }
}

TEST(SplitterButton, TinyFacesStayInsideTheirBitmap) {
    for (int width = 0; width < 12; ++width) {
        for (int height = 0; height < 12; ++height) {
            for (TAlign align : {TAlign::alLeft, TAlign::alTop}) {
                const Bitmap face = PaintButtonFace(width, height, align, false, kColors);
                EXPECT_EQ(face.Width(), width);
                EXPECT_EQ(face.Height(), height);
            }
        }
    }
}

} // namespace
} // namespace pixmoth
