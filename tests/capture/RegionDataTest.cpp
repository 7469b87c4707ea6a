#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "capture/PanelOutline.h"
#include "capture/RegionData.h"
#include "imaging/bitmap/Error.h"

namespace pixmoth {
namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<std::uint32_t> words) {
    std::vector<std::uint8_t> out;
    for (std::uint32_t w : words) {
        for (int shift = 0; shift < 32; shift += 8) {
            out.push_back(static_cast<std::uint8_t>(w >> shift));
        }
    }
    return out;
}

TEST(RegionDataTest, WritesTheRgndataLayoutByteForByte) {
    const std::vector<std::uint8_t> expected = Bytes({
        64,                // N: header and two rectangles
        32, 1, 2, 32,      // header size, type, count, list bytes
        0u - 3u, 1, 40, 9, // bound
        0u - 3u, 1, 40, 5, // first rectangle
        10, 5, 20, 9,      // second rectangle
    });
    EXPECT_EQ(WriteMask2({{-3, 1, 40, 5}, {10, 5, 20, 9}}), expected);
}

TEST(RegionDataTest, RoundTripGivesTheSameRectangles) {
    const std::vector<Rect> rects = {
        {5, 1, 195, 4}, {5, 4, 80, 40}, {81, 4, 195, 40}, {-7, 40, 2147483647, 41}};
    const std::vector<std::uint8_t> data = WriteMask2(rects);
    EXPECT_EQ(ReadMask2(data.data(), data.size()), rects);
}

TEST(RegionDataTest, ZeroByteCountIsNoShapeBothWays) {
    EXPECT_EQ(WriteMask2({}), Bytes({0}));
    const auto data = Bytes({0});
    EXPECT_TRUE(ReadMask2(data.data(), data.size()).empty());
}

TEST(RegionDataTest, BytesAfterTheDataAreNotRead) {
    std::vector<std::uint8_t> data = WriteMask2({{1, 2, 3, 4}});
    data.push_back(0xEE);
    EXPECT_EQ(ReadMask2(data.data(), data.size()), (std::vector<Rect>{{1, 2, 3, 4}}));
}

struct BadCase {
    const char* name;
    std::vector<std::uint8_t> data;
};

std::vector<BadCase> BadCases() {
    std::vector<std::uint8_t> cutShort = WriteMask2({{1, 2, 3, 4}});
    cutShort.pop_back();
    return {
        {"NoByteCount", {1, 0}},
        {"DataCutShort", cutShort},
        {"HeaderSizeWrong", Bytes({32, 28, 1, 0, 0, 0, 0, 0, 0})},
        {"NotRectangles", Bytes({32, 32, 2, 0, 0, 0, 0, 0, 0})},
        {"CountBeyondData", Bytes({48, 32, 1, 2, 32, 0, 0, 4, 4, 0, 0, 4, 4})},
        {"CountThatWouldWrap", Bytes({48, 32, 1, 0x10000001u, 16, 0, 0, 4, 4, 0, 0, 4, 4})},
        {"ByteCountSmallerThanHeader", Bytes({8, 32, 1})},
    };
}

TEST(RegionDataTest, DamagedDataIsRefusedWithAReason) {
    for (const BadCase& c : BadCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(ReadMask2(c.data.data(), c.data.size()), Error);
    }
}

// The panel's stored outline, checked pixel by pixel against the shape it must
// have: the display, the slit and the notches see-through, nothing overlapping.
class PanelOutlineTest : public ::testing::Test {
protected:
    void SetUp() override {
        const StoredBytes stored = PanelOutlineMask2();
        mSize = stored.size;
        mRects = ReadMask2(stored.data, stored.size);
        for (const Rect& r : mRects) {
            for (int y = r.top; y < r.bottom; ++y) {
                for (int x = r.left; x < r.right; ++x) {
                    mOverlap = mOverlap || !mPixels.insert({x, y}).second;
                }
            }
        }
    }
    bool Inside(int x, int y) const { return mPixels.count({x, y}) != 0; }

    std::size_t mSize = 0;
    std::vector<Rect> mRects;
    std::set<std::pair<int, int>> mPixels;
    bool mOverlap = false;
};

TEST_F(PanelOutlineTest, HoldsSixtyThreeRectanglesIn1040Bytes) {
    EXPECT_EQ(mSize, 4u + 1040u);
    EXPECT_EQ(mRects.size(), 63u);
    EXPECT_FALSE(mOverlap);
}

TEST_F(PanelOutlineTest, BoundingBoxIs5_1_195_253) {
    const StoredBytes stored = PanelOutlineMask2();
    const std::vector<std::uint8_t> rewritten = WriteMask2(mRects);
    // The stored header's bound is the one the rectangles give.
    EXPECT_EQ(std::vector<std::uint8_t>(stored.data, stored.data + stored.size), rewritten);
    Rect bound = mRects.front();
    for (const Rect& r : mRects) {
        bound = {std::min(bound.left, r.left), std::min(bound.top, r.top),
                 std::max(bound.right, r.right), std::max(bound.bottom, r.bottom)};
    }
    EXPECT_EQ(bound, (Rect{5, 1, 195, 253}));
}

TEST_F(PanelOutlineTest, DisplayIsSeeThroughAndFramed) {
    for (int y = 140; y < 218; ++y) {
        for (int x = 33; x < 133; ++x) {
            ASSERT_FALSE(Inside(x, y)) << x << "," << y;
        }
        EXPECT_TRUE(Inside(32, y)) << y;
        EXPECT_TRUE(Inside(133, y)) << y;
    }
    for (int x = 33; x < 133; ++x) {
        EXPECT_TRUE(Inside(x, 139)) << x;
        EXPECT_TRUE(Inside(x, 218)) << x;
    }
}

TEST_F(PanelOutlineTest, SlitAtColumn80IsOnePixelWide) {
    for (int y = 12; y < 40; ++y) {
        EXPECT_FALSE(Inside(80, y)) << y;
        EXPECT_TRUE(Inside(79, y)) << y;
        EXPECT_TRUE(Inside(81, y)) << y;
    }
    EXPECT_TRUE(Inside(80, 11));
    EXPECT_TRUE(Inside(80, 40));
}

TEST_F(PanelOutlineTest, TwoNotchesAtColumn170) {
    int runs = 0;
    bool inNotch = false;
    for (int y = 6; y < 250; ++y) {
        const bool notch = !Inside(170, y) && Inside(169, y) && Inside(171, y);
        runs += notch && !inNotch ? 1 : 0;
        inNotch = notch;
    }
    EXPECT_EQ(runs, 2);
}

TEST_F(PanelOutlineTest, CornersOfThePictureAreCutAway) {
    EXPECT_FALSE(Inside(0, 0));
    EXPECT_FALSE(Inside(7, 5));
    EXPECT_FALSE(Inside(194, 252));
    EXPECT_FALSE(Inside(7, 252));
    EXPECT_TRUE(Inside(100, 128));
}

} // namespace
} // namespace pixmoth
