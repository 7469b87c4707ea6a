#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "TempDir.h"
#include "capture/ShotNames.h"
#include "capture/ShotRect.h"
#include "imaging/bitmap/Error.h"

namespace pixmoth {
namespace {

struct AreaCase {
    const char* name;
    Rect selection;
    Rect area; // expected; all zero: an Error is expected
};

// The screen is 640 x 480 in every case.
const AreaCase kAreaCases[] = {
    {"OutlineOf100x50Gives98x48Inside", {10, 20, 110, 70}, {11, 21, 109, 69}},
    {"DraggedUpwardsGivesTheSameArea", {110, 70, 10, 20}, {11, 21, 109, 69}},
    {"DraggedToLowerLeft", {110, 20, 10, 70}, {11, 21, 109, 69}},
    {"NothingSelectedGivesScreenLessBorder", {0, 0, 0, 0}, {1, 1, 639, 479}},
    {"ThreeByThreeKeepsOnePixel", {5, 5, 8, 8}, {6, 6, 7, 7}},
    {"PartlyOffScreenIsCut", {600, 400, 700, 500}, {601, 401, 640, 480}},
    {"NegativeCornerIsCut", {-50, -50, 10, 10}, {0, 0, 9, 9}},
    {"WholeScreenRectangleDrawnByHand", {0, 0, 640, 480}, {1, 1, 639, 479}},
    {"FarEndsOfTheIntRange", {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {0, 0, 640, 480}},
    {"TwoWideHasNoInside", {10, 10, 12, 50}, {}},
    {"TwoHighHasNoInside", {10, 10, 50, 12}, {}},
    {"FlatLineShootsTheWholeScreen", {10, 30, 200, 30}, {1, 1, 639, 479}},
    {"FlatLineOffTheScreenShootsTheWholeScreen", {-900, 5000, 9000, 5000}, {1, 1, 639, 479}},
    {"SinglePointShootsTheWholeScreen", {70, 80, 70, 80}, {1, 1, 639, 479}},
    {"VerticalLineHasNoInside", {30, 10, 30, 200}, {}},
    {"OneHighHasNoInside", {10, 10, 50, 11}, {}},
    {"UpsideDownTwoWide", {12, 50, 10, 10}, {}},
    {"EntirelyOffScreen", {700, 10, 800, 100}, {}},
    {"OffScreenAboveTheTop", {10, -100, 100, -2}, {}},
};

class ShotAreaTest : public ::testing::TestWithParam<AreaCase> {};

TEST_P(ShotAreaTest, StoresTheInsideOfTheOutline) {
    const AreaCase& c = GetParam();
    if (c.area == Rect{}) {
        EXPECT_THROW(ShotArea(c.selection, 640, 480), Error);
    } else {
        const Rect area = ShotArea(c.selection, 640, 480);
        EXPECT_EQ(area, c.area) << area.left << "," << area.top << "," << area.right << ","
                                << area.bottom;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ShotAreaTest, ::testing::ValuesIn(kAreaCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ShotAreaTest, OutlineOf100x50GivesA98x48Picture) {
    const Rect area = ShotArea({300, 200, 200, 150}, 1024, 768);
    EXPECT_EQ(area.Width(), 98);
    EXPECT_EQ(area.Height(), 48);
}

TEST(ShotAreaTest, EmptyInsideSaysWhatToDo) {
    try {
        ShotArea({10, 10, 11, 40}, 640, 480);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find("at least 3 pixels"), std::string::npos)
            << error.what();
    }
}

class ShotNamesTest : public ::testing::Test {
protected:
    void Touch(const std::string& name) { test::WriteTextFile(mDir / name, "x"); }
    std::string Dir() const { return mDir.Path() + "/"; }
    test::TempDir mDir;
};

TEST_F(ShotNamesTest, NamesCarrySeriesAndCounterWithoutLeadingZeros) {
    EXPECT_EQ(ShotFileName(3, 0), "SShot3_0.jpg");
    EXPECT_EQ(ShotFileName(12, 10), "SShot12_10.jpg");
}

TEST_F(ShotNamesTest, EmptyFolderStartsAtZero) {
    EXPECT_EQ(FirstFreeShotPath(Dir(), 12), Dir() + "SShot12_0.jpg");
}

TEST_F(ShotNamesTest, GapLeftByADeletedShotIsFilledFirst) {
    Touch("SShot1_0.jpg");
    Touch("SShot1_2.jpg");
    EXPECT_EQ(FirstFreeShotPath(Dir(), 1), Dir() + "SShot1_1.jpg");
}

TEST_F(ShotNamesTest, SeriesCountIndependently) {
    Touch("SShot1_0.jpg");
    Touch("SShot1_1.jpg");
    Touch("SShot11_0.jpg");
    EXPECT_EQ(FirstFreeShotPath(Dir(), 1), Dir() + "SShot1_2.jpg");
    EXPECT_EQ(FirstFreeShotPath(Dir(), 11), Dir() + "SShot11_1.jpg");
    EXPECT_EQ(FirstFreeShotPath(Dir(), 3), Dir() + "SShot3_0.jpg");
}

TEST_F(ShotNamesTest, AFolderOfThatNameTakesTheName) {
    std::filesystem::create_directory(mDir / "SShot2_0.jpg");
    EXPECT_EQ(FirstFreeShotPath(Dir(), 2), Dir() + "SShot2_1.jpg");
}

} // namespace
} // namespace pixmoth
