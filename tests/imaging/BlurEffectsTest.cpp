#include <vector>

#include <gtest/gtest.h>

#include "EffectPictures.h"
#include "TestPictures.h"
#include "imaging/BlurEffects.h"

namespace pixmoth {
namespace {

using test::GreyBitmap;
using test::PatternBitmap;
using test::SamePicture;
using test::SolidBitmap;

// SplitBlur pixel by pixel as the rule reads, in place through ScanLine, so every
// read sees whatever the loop has written so far. Partners one past the end
// (row H, column W) are taken as the last row and column.
void LiteralSplitBlur(Bitmap& b, int amount) {
    const int w = b.Width();
    const int h = b.Height();
    for (int y = 0; y < h; ++y) {
        const int upper = y - amount >= 0 ? y - amount : y;
        int lower = y + amount < h ? y + amount : h - y;
        if (lower == h) {
            lower = h - 1;
        }
        for (int x = 0; x < w; ++x) {
            const int left = x - amount >= 0 ? x - amount : x;
            int right = x + amount < w ? x + amount : w - x;
            if (right == w) {
                right = w - 1;
            }
            for (int c = 0; c < 3; ++c) {
                const int sum = b.ScanLine(upper)[3 * left + c] + b.ScanLine(lower)[3 * left + c] +
                                b.ScanLine(upper)[3 * right + c] + b.ScanLine(lower)[3 * right + c];
                b.ScanLine(y)[3 * x + c] = static_cast<std::uint8_t>(sum >> 2);
            }
        }
    }
}

TEST(SplitBlur, ReadsRewrittenUpperRowsAndItsOwnRowByHand) {
    // Row 0 reads itself (left partners already new), row 1 reads the new row 0,
    // row 2 reads the new row 1 twice (its lower partner is the mirror 3 - 2).
    Bitmap picture = GreyBitmap(3, 3, {10, 20, 30, 40, 50, 60, 70, 80, 90});
    SplitBlur(picture, 1);
    EXPECT_EQ(test::Grey(picture), (std::vector<int>{30, 40, 45, 55, 58, 60, 56, 57, 58}));
}

TEST(SplitBlur, AnAmountPastThePictureReadsTheLastRowAndColumn) {
    // Row 0's lower partner and column 0's right partner would be row 2 and
    // column 2 of a 2 x 2 picture; the last ones stand in.
    for (int amount : {2, 3, 1000, 2147483647}) {
        Bitmap picture = GreyBitmap(2, 2, {10, 20, 30, 40});
        SplitBlur(picture, amount);
        EXPECT_EQ(test::Grey(picture), (std::vector<int>{25, 30, 35, 40})) << amount;
    }
}

TEST(SplitBlur, MatchesThePixelByPixelRule) {
    // Sizes and amounts that exercise every path: rows that read themselves
    // (near the top, the mirror row meeting itself), middles of every width,
    // amounts beyond the picture, strips and odd row padding.
    struct Case {
        int w, h, amount;
    };
    const std::vector<Case> cases = {
        {40, 30, 3}, {40, 30, 1}, {41, 31, 7},  {10, 10, 5}, {10, 10, 6}, {10, 11, 9},
        {7, 5, 12},  {1, 9, 2},   {9, 1, 2},    {1, 1, 1},   {2, 3, 1},   {64, 8, 31},
        {64, 8, 32}, {65, 9, 33}, {300, 4, 3}, {5, 300, 3}, {33, 17, 16}, {6, 6, 3}};
    for (const Case& c : cases) {
        Bitmap expected = PatternBitmap(c.w, c.h, 7);
        LiteralSplitBlur(expected, c.amount);
        Bitmap picture = PatternBitmap(c.w, c.h, 7);
        SplitBlur(picture, c.amount);
        EXPECT_TRUE(SamePicture(picture, expected)) << c.w << "x" << c.h << " amount " << c.amount;
    }
}

TEST(SplitBlur, ZeroOrNegativeAmountsChangeNothing) {
    for (int amount : {0, -1, -3, -2147483647 - 1}) {
        Bitmap picture = PatternBitmap(12, 9);
        SplitBlur(picture, amount);
        EXPECT_TRUE(SamePicture(picture, PatternBitmap(12, 9))) << amount;
    }
}

TEST(GaussianBlur, IsAmountPlusOnePassesOfSplitBlurThree) {
    for (int amount : {0, 1, 4}) {
        Bitmap expected = PatternBitmap(31, 23);
        for (int i = 0; i <= amount; ++i) {
            LiteralSplitBlur(expected, 3);
        }
        Bitmap picture = PatternBitmap(31, 23);
        GaussianBlur(picture, amount);
        EXPECT_TRUE(SamePicture(picture, expected)) << amount;
    }
    Bitmap untouched = PatternBitmap(31, 23);
    GaussianBlur(untouched, -1);
    EXPECT_TRUE(SamePicture(untouched, PatternBitmap(31, 23)));
}

TEST(GaussianBlur, WorksOnPicturesThreeRowsHighOrLess) {
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {5, 3}, {3, 2}, {8, 1}}) {
        Bitmap expected = PatternBitmap(w, h);
        LiteralSplitBlur(expected, 3);
        LiteralSplitBlur(expected, 3);
        Bitmap picture = PatternBitmap(w, h);
        GaussianBlur(picture, 1);
        EXPECT_TRUE(SamePicture(picture, expected)) << w << "x" << h;
    }
}

TEST(GaussianBlur, AHugeAmountEndsOnceAPassChangesNothing) {
    Bitmap uniform = SolidBitmap(50, 40, 9, 99, 199);
    GaussianBlur(uniform, 2147483647);
    EXPECT_TRUE(SamePicture(uniform, SolidBitmap(50, 40, 9, 99, 199)));

    // A small picture settles after some passes; running far more gives the same.
    Bitmap settled = PatternBitmap(6, 5);
    GaussianBlur(settled, 100000);
    Bitmap again = settled;
    LiteralSplitBlur(again, 3);
    EXPECT_TRUE(SamePicture(again, settled));
    Bitmap huge = PatternBitmap(6, 5);
    GaussianBlur(huge, 2147483647);
    EXPECT_TRUE(SamePicture(huge, settled));
}

} // namespace
} // namespace pixmoth
