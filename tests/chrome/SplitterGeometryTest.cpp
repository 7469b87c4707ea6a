#include <gtest/gtest.h>

#include "chrome/SplitterGeometry.h"

namespace pixmoth {
namespace {

using enum TAlign;

TEST(SplitterGeometry, NeighbourIsLookedForJustOutsideTheDockedSide) {
    const Rect bar{100, 50, 110, 150};
    struct Row {
        TAlign align;
        bool found;
        SplitPoint probe;
    } rows[] = {
        {alTop, true, {100, 49}},   {alBottom, true, {100, 150}}, {alLeft, true, {99, 50}},
        {alRight, true, {110, 50}}, {alNone, false, {}},          {alClient, false, {}},
    };
    for (const Row& row : rows) {
        SplitPoint probe;
        EXPECT_EQ(NeighbourProbe(row.align, bar, probe), row.found);
        if (row.found) {
            EXPECT_EQ(probe.x, row.probe.x);
            EXPECT_EQ(probe.y, row.probe.y);
        }
    }
}

TEST(SplitterGeometry, ProbeHitsBoundsWithoutTheirFarEdgesAndFindsCollapsedOnes) {
    struct Row {
        const char* meaning;
        Rect bounds;
        SplitPoint probe;
        bool hit;
    } rows[] = {
        {"inside", {0, 0, 200, 100}, {199, 10}, true},
        {"right edge is outside", {0, 0, 200, 100}, {200, 10}, false},
        {"collapsed to zero width, bar on its right", {0, 0, 0, 100}, {-1, 10}, true},
        {"collapsed to zero width, bar on its left", {700, 0, 700, 100}, {700, 10}, true},
        {"collapsed to zero height, bar below", {0, 50, 300, 50}, {10, 49}, true},
        {"collapsed to zero height, bar above", {0, 50, 300, 50}, {10, 50}, true},
        {"collapsed, probe further away", {0, 0, 0, 100}, {-2, 10}, false},
        {"collapsed, probe further away on the right", {0, 0, 0, 100}, {1, 10}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.meaning);
        EXPECT_EQ(BoundsHoldProbe(row.bounds, row.probe), row.hit);
    }
}

TEST(SplitterGeometry, SplitSizeFollowsTheDockedSideAndIsClamped) {
    struct Row {
        const char* meaning;
        TAlign align;
        int size, movement, minSize, maxSize, expected;
    } rows[] = {
        {"left grows when moved right", alLeft, 200, 6, 1, 689, 206},
        {"right shrinks when moved right", alRight, 200, 6, 1, 689, 194},
        {"top grows when moved down", alTop, 168, 20, 30, 400, 188},
        {"bottom shrinks when moved down", alBottom, 168, 20, 30, 400, 148},
        {"not below the minimum", alLeft, 200, -300, 1, 689, 1},
        {"not beyond the largest", alLeft, 200, 1000, 1, 689, 689},
        {"minimum wins over a smaller largest", alLeft, 20, -10, 30, 25, 30},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.meaning);
        EXPECT_EQ(SplitSize(row.align, row.size, row.movement, row.minSize, row.maxSize),
                  row.expected);
    }
}

TEST(SplitterGeometry, MovementToATargetSizeFollowsTheDockedSide) {
    EXPECT_EQ(SplitMovement(alLeft, 200, 0), -200);
    EXPECT_EQ(SplitMovement(alRight, 200, 0), 200);
    EXPECT_EQ(SplitMovement(alTop, 168, 188), 20);
    EXPECT_EQ(SplitMovement(alBottom, 168, 188), -20);
}

TEST(SplitterGeometry, ClickAllowsFivePixelsAcrossTheBar) {
    struct Row {
        TAlign align;
        SplitPoint release;
        bool click;
    } rows[] = {
        {alLeft, {105, 300}, true},  {alLeft, {106, 200}, false}, {alLeft, {95, 200}, true},
        {alRight, {94, 200}, false}, {alTop, {160, 205}, true},   {alBottom, {100, 206}, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(IsButtonClick(row.align, {100, 200}, row.release), row.click);
    }
}

} // namespace
} // namespace pixmoth
