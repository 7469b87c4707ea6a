#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/SaveNames.h"
#include "document/Selection.h"
#include "document/ZoomSteps.h"

namespace pixmoth {
namespace {

TEST(SaveAsFileName, AppendsTheFiltersExtensionOnlyToNamesWithoutAPictureExtension) {
    struct Case {
        const char* meaning;
        const char* chosen;
        int filter;
        const char* written;
    };
    const std::vector<Case> cases = {
        {"bare name, JPEG filter", "/p/holiday", 1, "/p/holiday.jpg"},
        {"bare name, bitmap filter", "/p/holiday", 2, "/p/holiday.bmp"},
        {"foreign extension gets the filter's", "/p/holiday.png", 1, "/p/holiday.png.jpg"},
        {"foreign extension, bitmap filter", "/p/holiday.png", 2, "/p/holiday.png.bmp"},
        {".jpg is kept under the bitmap filter", "/p/holiday.jpg", 2, "/p/holiday.jpg"},
        {".jpeg is kept", "/p/holiday.jpeg", 1, "/p/holiday.jpeg"},
        {".bmp is kept, no photo.bmp.bmp", "/p/photo.bmp", 2, "/p/photo.bmp"},
        {"upper-case extensions are kept", "/p/PHOTO.JPG", 2, "/p/PHOTO.JPG"},
        {"a dot in the directory is no extension", "/p/my.pics/holiday", 1,
         "/p/my.pics/holiday.jpg"},
        {"a filter index out of range means JPEG", "/p/a", 7, "/p/a.jpg"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SaveAsFileName(c.chosen, c.filter), c.written) << c.meaning;
    }
}

TEST(WritePictureFileName, KeepsPictureNamesAndMakesOtherNamesBitmaps) {
    struct Case {
        const char* meaning;
        const char* name;
        const char* written;
    };
    const std::vector<Case> cases = {
        {"JPEG", "/p/a.jpg", "/p/a.jpg"},
        {"JPEG in upper case, as cameras name them", "/p/IMG_1.JPG", "/p/IMG_1.JPG"},
        {"long JPEG extension", "/p/a.jpeg", "/p/a.jpeg"},
        {"bitmap", "/p/a.bmp", "/p/a.bmp"},
        {"bitmap in upper case", "/p/a.BMP", "/p/a.BMP"},
        {"any other name becomes a bitmap", "/p/a.ico", "/p/a.ico.bmp"},
        {"no extension", "/p/a", "/p/a.bmp"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WritePictureFileName(c.name), c.written) << c.meaning;
    }
}

TEST(ZoomSteps, CompoundAndTruncate) {
    std::vector<int> in = {400};
    std::vector<int> out = {400};
    for (int i = 0; i < 3; ++i) {
        in.push_back(ZoomInSide(in.back()));
        out.push_back(ZoomOutSide(out.back()));
    }
    EXPECT_EQ(in, (std::vector<int>{400, 460, 529, 608}));
    EXPECT_EQ(out, (std::vector<int>{400, 340, 289, 246}));
}

TEST(ZoomSteps, SidesOfSixOrLessNoLongerChange) {
    for (int side = 0; side <= 6; ++side) {
        EXPECT_EQ(ZoomInSide(side), side);
        EXPECT_EQ(ZoomOutSide(side), side);
    }
    EXPECT_EQ(ZoomInSide(7), 8);
    EXPECT_EQ(ZoomOutSide(7), 6);
    int w = 400;
    int h = 300;
    int presses = 0;
    while (w != 6 || h != 6) {
        w = ZoomOutSide(w);
        h = ZoomOutSide(h);
        ASSERT_LT(++presses, 100);
    }
    EXPECT_EQ(presses, 30) << "thirty presses of - take 400 x 300 down to 6 x 6";
}

TEST(Selection, NormalizeRectOrdersTheCornersOfEveryDragDirection) {
    const Rect expected{10, 20, 50, 60};
    for (const Selection& s : {Selection{10, 20, 50, 60}, Selection{50, 60, 10, 20},
                               Selection{50, 20, 10, 60}, Selection{10, 60, 50, 20}}) {
        EXPECT_EQ(NormalizeRect(s), expected);
    }
}

TEST(Selection, IsPresentOnlyWithAnArea) {
    EXPECT_FALSE((Selection{}).Present());
    EXPECT_FALSE((Selection{5, 5, 5, 9}).Present()) << "no width";
    EXPECT_FALSE((Selection{5, 5, 9, 5}).Present()) << "no height";
    EXPECT_TRUE((Selection{9, 9, 5, 5}).Present());
}

} // namespace
} // namespace pixmoth
