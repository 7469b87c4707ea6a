#include <vector>

#include <gtest/gtest.h>

#include "EffectPictures.h"
#include "TestPictures.h"
#include "imaging/effects/BlurEffects.h"

namespace pixmoth {
namespace {

using test::Grey;
using test::GreyBitmap;
using test::PatternBitmap;
using test::SamePicture;

// SplitBlur pixel by pixel as the rule reads, in place through ScanLine, so every
// read sees whatever the loop has written so far. Partners one past the end
// (row H, column W) are taken as the last row and column.
void LiteralSplitBlur(Bitmap& b, int amount) {
    const int w = b.Width();
    const int h = b.Height();
    for (int y = 0; y < h; ++y) {
        const int upper = y - amount >= 0 ? y - amount : y;
        const int lower = y + amount < h ? y + amount : (y == 0 ? h - 1 : h - y);
        for (int x = 0; x < w; ++x) {
            const int left = x - amount >= 0 ? x - amount : x;
            const int right = x + amount < w ? x + amount : (x == 0 ? w - 1 : w - x);
            for (int c = 0; c < 3; ++c) {
                const int sum = b.ScanLine(upper)[3 * left + c] + b.ScanLine(lower)[3 * left + c] +
                                b.ScanLine(upper)[3 * right + c] + b.ScanLine(lower)[3 * right + c];
                b.ScanLine(y)[3 * x + c] = static_cast<std::uint8_t>(sum >> 2);
            }
        }
    }
}

TEST(SplitBlur, ReadsRewrittenUpperRowsAndItsOwnRowByHand) {
    // Row 0 reads itself (its left partners already new), row 1 the new row 0,
    // row 2 the new row 1 twice (its lower partner is the mirror 3 - 2).
    Bitmap picture = GreyBitmap(3, 3, {10, 20, 30, 40, 50, 60, 70, 80, 90});
    SplitBlur(picture, 1);
    EXPECT_EQ(Grey(picture), (std::vector<int>{30, 40, 45, 55, 58, 60, 56, 57, 58}));
}

TEST(SplitBlur, AnAmountPastThePictureReadsTheLastRowAndColumn) {
    // Row 0's lower and column 0's right partner would be row and column 2 of a
    // 2 x 2 picture: (10 + 30 + 20 + 40) shr 2, (20 + 40 + 20 + 40) shr 2, ...
    for (int amount : {2, 1000, 2147483647}) {
        Bitmap picture = GreyBitmap(2, 2, {10, 20, 30, 40});
        SplitBlur(picture, amount);
        EXPECT_EQ(Grey(picture), (std::vector<int>{25, 30, 35, 40})) << amount;
    }
}

TEST(SplitBlur, MatchesThePixelByPixelRule) {
    // Rows that read themselves (near the top, the mirror row meeting itself),
    // middles of every width, amounts beyond the picture, strips, odd padding.
    struct Case {
        int w, h, amount;
    };
    for (const Case& c : std::vector<Case>{{40, 30, 3},
                                           {41, 31, 7},
                                           {10, 10, 5},
                                           {10, 11, 9},
                                           {7, 5, 12},
                                           {1, 9, 2},
                                           {9, 1, 2},
                                           {64, 8, 32},
                                           {65, 9, 33},
                                           {300, 4, 3},
                                           {5, 300, 3},
                                           {6, 6, 3}}) {
        Bitmap expected = PatternBitmap(c.w, c.h, 7);
        LiteralSplitBlur(expected, c.amount);
        Bitmap picture = PatternBitmap(c.w, c.h, 7);
        SplitBlur(picture, c.amount);
        EXPECT_TRUE(SamePicture(picture, expected)) << c.w << "x" << c.h << " amount " << c.amount;
    }
}

TEST(GaussianBlur, IsAmountPlusOnePassesOfSplitBlurThree) {
    // Including pictures three rows high or less, where the last row stands in.
    struct Case {
        int w, h, amount;
    };
    for (const Case& c : std::vector<Case>{
             {31, 23, 0}, {31, 23, 1}, {31, 23, 20}, {5, 3, 1}, {8, 1, 1}, {1, 1, 1}}) {
        Bitmap expected = PatternBitmap(c.w, c.h);
        for (int i = 0; i <= c.amount; ++i) {
            LiteralSplitBlur(expected, 3);
        }
        Bitmap picture = PatternBitmap(c.w, c.h);
        GaussianBlur(picture, c.amount);
        EXPECT_TRUE(SamePicture(picture, expected)) << c.w << "x" << c.h << " amount " << c.amount;
    }
}

TEST(GaussianBlur, AHugeAmountEndsOnceThePictureSettles) {
    Bitmap settled = PatternBitmap(6, 5);
    GaussianBlur(settled, 10000);
    Bitmap again = settled;
    LiteralSplitBlur(again, 3);
    EXPECT_TRUE(SamePicture(again, settled));
    Bitmap huge = PatternBitmap(6, 5);
    GaussianBlur(huge, 2147483647);
    EXPECT_TRUE(SamePicture(huge, settled));
}

} // namespace
} // namespace pixmoth
