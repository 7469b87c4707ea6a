#include <vector>

#include <gtest/gtest.h>

#include "document/DocumentPlacement.h"

namespace pixmoth {
namespace {

TEST(FitIntoWorkArea, ShrinksToTheAreaAndMovesInsideIt) {
    struct Case {
        const char* meaning;
        Rect window;
        Rect fitted;
    };
    // The area is 800 x 600.
    const std::vector<Case> cases = {
        {"fits: unchanged", {10, 20, 410, 320}, {10, 20, 410, 320}},
        {"exactly the area", {0, 0, 800, 600}, {0, 0, 800, 600}},
        {"6000 x 4000 at the corner", {0, 0, 6000, 4000}, {0, 0, 800, 600}},
        {"too large and placed lower right", {72, 72, 6072, 4072}, {0, 0, 800, 600}},
        {"only too wide: height and top kept", {50, 40, 1050, 240}, {0, 40, 800, 240}},
        {"fits in size but hangs over the right edge", {700, 10, 900, 110}, {600, 10, 800, 110}},
        {"hangs over the bottom edge", {10, 550, 110, 650}, {10, 500, 110, 600}},
        {"above and left of the area", {-30, -20, 70, 80}, {0, 0, 100, 100}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FitIntoWorkArea(c.window, 800, 600), c.fitted) << c.meaning;
    }
    EXPECT_EQ(FitIntoWorkArea({-5, -5, 6000, 4000}, 0, 0), (Rect{-5, -5, 6000, 4000}))
        << "a frame not laid out yet";
}

TEST(ClipToWorkArea, CutsTheLowerRightBackAndKeepsTheCorner) {
    EXPECT_EQ(ClipToWorkArea({48, 48, 900, 700}, 800, 600), (Rect{48, 48, 800, 600}));
    EXPECT_EQ(ClipToWorkArea({10, 20, 110, 120}, 800, 600), (Rect{10, 20, 110, 120}));
    EXPECT_EQ(ClipToWorkArea({850, 650, 900, 700}, 800, 600), (Rect{850, 650, 850, 650}))
        << "outside the area: nothing left, nothing reversed";
}

TEST(CascadeSlot, StepsFromTheTopLeftAndStartsOverWhenAWindowWouldNotFit) {
    struct Case {
        const char* meaning;
        int slot;
        int width;
        int height;
        int taken;
    };
    // Steps of 25 pixels in an 800 x 600 area.
    const std::vector<Case> cases = {
        {"first window", 0, 300, 200, 0},
        {"third window", 2, 300, 200, 2},
        {"last slot where it fits", 16, 400, 200, 16},
        {"one further: back to the corner", 17, 400, 200, 0},
        {"as tall as the area: only the corner", 1, 100, 600, 0},
        {"a window of the area's size", 3, 800, 600, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CascadeSlot(c.slot, 25, c.width, c.height, 800, 600), c.taken) << c.meaning;
    }
}

} // namespace
} // namespace pixmoth
