#include <climits>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "imaging/bitmap/Error.h"
#include "imaging/dialogs/ResampleSizes.h"
#include "imaging/resample/Resample.h"

namespace pixmoth {
namespace {

TEST(ResampleSizes, AspectCouplingTruncatesAndNeverDividesByZero) {
    EXPECT_EQ(AspectPercentOf(640, 480), 133);
    EXPECT_EQ(AspectPercentOf(480, 640), 75);
    EXPECT_EQ(AspectPercentOf(1, 101), 0); // more than 100 times as high as wide
    EXPECT_EQ(AspectPercentOf(5, 0), 0);
    EXPECT_EQ(CoupledHeight(400, 133), 300);
    EXPECT_EQ(CoupledWidth(300, 133), 399);
    // Aspect 0 couples as 1.
    EXPECT_EQ(CoupledHeight(5, 0), 500);
    EXPECT_EQ(CoupledWidth(300, 0), 3);
    // A typed value far past the box's bounds does not overflow.
    EXPECT_EQ(CoupledHeight(INT_MAX, 1), std::int64_t{INT_MAX} * 100);
    EXPECT_EQ(CoupledWidth(-300, 133), -399);
}

TEST(ResampleSizes, PercentagesOfThePicture) {
    const TargetSize half = PercentageTarget(640, 480, 50, 50);
    EXPECT_EQ(half.width, 320);
    EXPECT_EQ(half.height, 240);
    const TargetSize small = PercentageTarget(150, 99, 1, 1);
    EXPECT_EQ(small.width, 1);
    EXPECT_EQ(small.height, 0);
    EXPECT_EQ(PercentageTarget(INT_MAX, 1, 2000, 100).width, std::int64_t{INT_MAX} * 20);
}

TEST(ResampleSizes, TargetsThatCannotBeMadeAreRefusedWithTheirSize) {
    const struct {
        TargetSize size;
        const char* message; // nullptr: accepted
    } cases[] = {
        {{1, 1}, nullptr},
        {{kMaxResampleSide, 1}, nullptr},
        {{40000, 40000}, nullptr}, // 4.8 GB
        {{0, 240},
         "The new size 0 x 240 pixels has no pixels: width and height must be at least 1."},
        {{320, -5},
         "The new size 320 x -5 pixels has no pixels: width and height must be at least 1."},
        {{kMaxResampleSide + 1LL, 1},
         "The new size 16777217 x 1 pixels is too large: a side may have at most 16777216 pixels."},
        {{50000, 50000},
         "The new size 50000 x 50000 pixels is too large: a picture may hold at most 6 GB of "
         "pixels."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.size.width) + " x " + std::to_string(c.size.height));
        if (c.message == nullptr) {
            EXPECT_NO_THROW(CheckResampleTarget(c.size));
            continue;
        }
        try {
            CheckResampleTarget(c.size);
            ADD_FAILURE() << "accepted";
        } catch (const Error& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

} // namespace
} // namespace pixmoth
