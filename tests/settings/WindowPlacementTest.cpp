#include <climits>
#include <vector>

#include <gtest/gtest.h>

#include "settings/WindowPlacement.h"

namespace pixmoth {
namespace {

TEST(WindowPlacement, BoundsOffEveryScreenMoveOntoTheNearestOne) {
    // A 1920 x 1080 monitor less a 40-pixel panel, and a 1280 x 1024 one right of it.
    const std::vector<Rect> screens = {{0, 0, 1920, 1040}, {1920, 0, 3200, 1024}};
    struct Case {
        const char* meaning;
        Rect bounds;
        Rect expected;
    };
    const std::vector<Case> cases = {
        {"on the first screen: kept", {10, 10, 600, 500}, {10, 10, 600, 500}},
        {"on the second screen: kept", {2000, 100, 2600, 600}, {2000, 100, 2600, 600}},
        {"partly off the edge: kept", {1800, 900, 2400, 1300}, {1800, 900, 2400, 1300}},
        {"right of the last screen (a monitor gone)",
         {4000, 100, 4600, 600},
         {2600, 100, 3200, 600}},
        {"above and left of everything", {-5000, -3000, -4400, -2500}, {0, 0, 600, 500}},
        {"below both: the first is nearer", {100, 2000, 700, 2500}, {100, 540, 700, 1040}},
        {"larger than the screen: shrunk to it", {5000, 0, 7000, 1500}, {1920, 0, 3200, 1024}},
        {"at the end of the int range",
         {INT_MAX - 10, INT_MAX - 10, INT_MAX, INT_MAX},
         {3190, 1014, 3200, 1024}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlaceOnScreens(c.bounds, screens), c.expected) << c.meaning;
    }
    EXPECT_EQ(PlaceOnScreens({4000, 100, 4600, 600}, {}), (Rect{4000, 100, 4600, 600}))
        << "no screen known: nothing to move onto";
}

} // namespace
} // namespace pixmoth
