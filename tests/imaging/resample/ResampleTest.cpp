#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ResampleCases.h"
#include "ResampleReference.h"
#include "TestPictures.h"
#include "imaging/bitmap/Error.h"
#include "imaging/resample/Resample.h"

namespace pixmoth {
namespace {

using test::kSizeCases;
using test::Paths;
using test::PatternBitmap;
using test::ReferenceResample;
using test::ReferenceStats;
using test::SamePicture;
using test::SizeCase;
using test::SolidBitmap;

const FilterEntry& Filter(const char* name) {
    return *FindFilter(name);
}

Bitmap Resampled(const Bitmap& source, int width, int height, const FilterEntry& filter,
                 ResamplePath path = ResamplePath::Auto, int threads = 0) {
    Bitmap input(source);
    Bitmap output(width, height);
    ResampleBitmap(input, output, filter.kernel, filter.support, path, threads);
    return output;
}

// The literal algorithm's result, and every path giving the same bytes.
::testing::AssertionResult MatchesReference(const Bitmap& source, int width, int height,
                                            const FilterEntry& filter) {
    const Bitmap expected = ReferenceResample(source, width, height, filter.kernel, filter.support);
    for (ResamplePath path : Paths()) {
        ::testing::AssertionResult same =
            SamePicture(Resampled(source, width, height, filter, path), expected);
        if (!same) {
            return same << " (" << filter.name << ", " << ResamplePathName(path) << ")";
        }
    }
    return ::testing::AssertionSuccess();
}

// A picture from rows of (b, g, r) triples.
Bitmap FromRows(const std::vector<std::vector<std::uint8_t>>& rows) {
    const int width = static_cast<int>(rows[0].size() / 3);
    Bitmap bitmap(width, static_cast<int>(rows.size()));
    for (std::size_t y = 0; y < rows.size(); ++y) {
        bitmap.WriteRowBgr(static_cast<int>(y), 0, width, rows[y].data());
    }
    return bitmap;
}

std::vector<std::uint8_t> Row(const Bitmap& bitmap, int y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(bitmap.Width()) * 3);
    bitmap.ReadRowBgr(y, 0, bitmap.Width(), row.data());
    return row;
}

std::string Describe(const std::vector<Contributor>& list) {
    std::ostringstream text;
    for (const Contributor& c : list) {
        text << "(" << c.index << ", " << c.weight << ") ";
    }
    return text.str();
}

// ---------------------------------------------------------------------------
// Contributor lists

TEST(Contributors, MatchHandWorkedLists) {
    struct Case {
        const char* what;
        int source;
        int dest;
        const char* filter;
        int column;
        std::vector<Contributor> expected;
    };
    const std::vector<Case> cases = {
        {"enlarging: centre on a pixel, neighbours weigh exactly 0 and are left out",
         3,
         5,
         "Triangle",
         0,
         {{0, 1.0f}}},
        {"enlarging: centre halfway, 0.5 each", 3, 5, "Triangle", 1, {{0, 0.5f}, {1, 0.5f}}},
        {"same size Bell mirrors at the left edge",
         3,
         3,
         "Bell",
         0,
         {{1, 0.125f}, {0, 0.75f}, {1, 0.125f}}},
        {"same size Bell mirrors at the right edge",
         3,
         3,
         "Bell",
         2,
         {{1, 0.125f}, {2, 0.75f}, {2, 0.125f}}},
        {"shrinking widens and lowers the kernel",
         5,
         3,
         "Triangle",
         1,
         {{1, 0.25f}, {2, 0.5f}, {3, 0.25f}}},
        {"shrinking mirrors too", 5, 3, "Triangle", 0, {{1, 0.25f}, {0, 0.5f}, {1, 0.25f}}},
        {"one column from four: scale 1/4, not a division by 0",
         4,
         1,
         "Triangle",
         0,
         {{3, 0.0625f},
          {2, 0.125f},
          {1, 0.1875f},
          {0, 0.25f},
          {1, 0.1875f},
          {2, 0.125f},
          {3, 0.0625f}}},
        {"Box: a centre halfway takes the left-hand pixel", 2, 4, "Box", 2, {{1, 1.0f}}},
        {"Box: a third of the way stays on the left pixel", 2, 4, "Box", 1, {{0, 1.0f}}},
    };
    for (const Case& c : cases) {
        const FilterEntry& filter = Filter(c.filter);
        const ContributorLists lists =
            BuildContributors(c.source, c.dest, filter.kernel, filter.support);
        ASSERT_EQ(lists.Size(), c.dest) << c.what;
        const auto list = lists.List(c.column);
        const std::vector<Contributor> actual(list.begin(), list.end());
        bool same = actual.size() == c.expected.size();
        for (std::size_t i = 0; same && i < actual.size(); ++i) {
            same =
                actual[i].index == c.expected[i].index && actual[i].weight == c.expected[i].weight;
        }
        EXPECT_TRUE(same) << c.what << ": got " << Describe(actual) << "expected "
                          << Describe(c.expected);
    }
}

TEST(Contributors, NarrowSourceWithLanczos3IsMirroredThenClampedIntoRange) {
    // Two pixels, reach 3: j = -2 mirrors to 2, j = 2 mirrors to 1; 2 is clamped to 1.
    const ContributorLists lists = BuildContributors(2, 2, Lanczos3Filter, 3.0f);
    const auto list = lists.List(0);
    ASSERT_EQ(list.size(), 5u);
    const int expectedIndices[] = {1, 1, 0, 1, 1};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(list[i].index, expectedIndices[i]) << i;
    }
    EXPECT_EQ(list[2].weight, 1.0f);
    for (int size : {1, 2, 3}) {
        const ContributorLists wide = BuildContributors(size, 40, Lanczos3Filter, 3.0f);
        for (int i = 0; i < wide.Size(); ++i) {
            for (const Contributor& c : wide.List(i)) {
                EXPECT_GE(c.index, 0);
                EXPECT_LT(c.index, size);
            }
        }
    }
}

TEST(Contributors, ShrinkingTenfoldReachesSupportTimesTheInverseScale) {
    // 640 -> 64: scale 63/639, so Triangle reaches 639/63 = 10.14 source pixels.
    const float scale = 63.0f / 639.0f;
    // Unnormalised: samples of a widened kernel add up to about 1, the windowed
    // sinc's less closely than the triangle's.
    for (auto [filter, tolerance] :
         {std::pair{Filter("Triangle"), 1e-3f}, std::pair{Filter("Lanczos3"), 5e-3f}}) {
        const ContributorLists lists = BuildContributors(640, 64, filter.kernel, filter.support);
        const float reach = filter.support / scale;
        const int capacity = static_cast<int>(2 * reach + 1);
        EXPECT_LE(lists.MaxCount(), capacity) << filter.name;
        const int i = 32;
        const float centre = i / scale;
        const auto list = lists.List(i);
        EXPECT_GE(static_cast<int>(list.size()), capacity - 2) << filter.name;
        float sum = 0;
        for (std::size_t t = 0; t < list.size(); ++t) {
            // Away from the edges: consecutive pixels within the reach of the centre.
            EXPECT_EQ(list[t].index, list[0].index + static_cast<int>(t)) << filter.name;
            EXPECT_LT(std::fabs(list[t].index - centre), reach) << filter.name;
            sum += list[t].weight;
        }
        EXPECT_NEAR(sum, 1.0f, tolerance) << filter.name;
    }
}

// ---------------------------------------------------------------------------
// Results worked out by hand

TEST(ResampleBitmap, SameSizeTriangleIsTheIdentity) {
    for (auto [w, h] : {std::pair{37, 23}, std::pair{1, 1}, std::pair{1, 9}, std::pair{16, 1}}) {
        const Bitmap source = PatternBitmap(w, h);
        for (ResamplePath path : Paths()) {
            EXPECT_TRUE(SamePicture(Resampled(source, w, h, Filter("Triangle"), path), source))
                << w << "x" << h << " " << ResamplePathName(path);
        }
    }
}

TEST(ResampleBitmap, SameSizeBellIsAnEighthThreeQuartersEighthBlur) {
    // One white pixel in the middle of 5 x 5. Across: 255 x 0.125 = 31.875 -> 32
    // and 255 x 0.75 = 191.25 -> 191; then down: 191 x 0.75 = 143.25 -> 143,
    // 191 x 0.125 = 23.875 -> 24, 32 x 0.75 = 24, 32 x 0.125 = 4.
    Bitmap source = SolidBitmap(5, 5, 0, 0, 0);
    source.SetPixelColor(2, 2, {255, 255, 255, 0});
    const int expected[5][5] = {
        {0, 0, 0, 0, 0}, {0, 4, 24, 4, 0}, {0, 24, 143, 24, 0}, {0, 4, 24, 4, 0}, {0, 0, 0, 0, 0}};
    for (ResamplePath path : Paths()) {
        const Bitmap result = Resampled(source, 5, 5, Filter("Bell"), path);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 5; ++x) {
                const PaletteEntry p = result.PixelColor(x, y);
                EXPECT_EQ(p.blue, expected[y][x]) << x << "," << y << " " << ResamplePathName(path);
                EXPECT_EQ(p.red, expected[y][x]) << x << "," << y;
            }
        }
    }
}

TEST(ResampleBitmap, EdgesMirrorTheNeighbourInside) {
    // Bell, same size, one row: column 0 reads (1, 0, 1), column 2 reads (1, 2, 2).
    const Bitmap source = FromRows({{200, 0, 8, 0, 0, 16, 0, 200, 40}});
    // b: 150, 25, 0   g: 0, 25, 175   r: 2+6+2, 1+12+5, 2+30+5
    const std::vector<std::uint8_t> expected = {150, 0, 10, 25, 25, 18, 0, 175, 37};
    for (ResamplePath path : Paths()) {
        EXPECT_EQ(Row(Resampled(source, 3, 1, Filter("Bell"), path), 0), expected)
            << ResamplePathName(path);
    }
}

TEST(ResampleBitmap, BoxDoublingTurnsPixelsIntoTwoByTwoBlocks) {
    const Bitmap source = PatternBitmap(2, 2);
    for (ResamplePath path : Paths()) {
        const Bitmap result = Resampled(source, 4, 4, Filter("Box"), path);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                EXPECT_EQ(result.PixelColor(x, y), source.PixelColor(x / 2, y / 2))
                    << x << "," << y << " " << ResamplePathName(path);
            }
        }
    }
}

TEST(ResampleBitmap, HalvesRoundToEven) {
    // 2 -> 3 columns with Triangle: the middle column is 0.5 a + 0.5 b.
    const Bitmap source = FromRows({{0, 0, 1, 5, 7, 0}});
    const std::vector<std::uint8_t> expected = {0, 0, 1, 2, 4, 0, 5, 7, 0}; // 2.5, 3.5, 0.5
    for (ResamplePath path : Paths()) {
        EXPECT_EQ(Row(Resampled(source, 3, 1, Filter("Triangle"), path), 0), expected)
            << ResamplePathName(path);
    }
}

TEST(ResampleBitmap, SharpEdgesOvershootAndAreClampedNotWrapped) {
    std::vector<std::uint8_t> step;
    for (int x = 0; x < 12; ++x) {
        const std::uint8_t v = x < 6 ? 0 : 255;
        step.insert(step.end(), {v, v, v});
    }
    const Bitmap source = FromRows({step, step, step});
    for (const char* name : {"Lanczos3", "Mitchell"}) {
        ReferenceStats stats;
        const Bitmap expected =
            ReferenceResample(source, 41, 5, Filter(name).kernel, Filter(name).support, &stats);
        EXPECT_GT(stats.clampedHigh, 0) << name;
        EXPECT_GT(stats.clampedLow, 0) << name;
        for (ResamplePath path : Paths()) {
            const Bitmap result = Resampled(source, 41, 5, Filter(name), path);
            EXPECT_TRUE(SamePicture(result, expected)) << name << " " << ResamplePathName(path);
            for (int x = 0; x < 41; ++x) {
                const int v = result.PixelColor(x, 2).green;
                // A wrapped overshoot would show as a dark pixel on the bright side.
                if (x < 16) {
                    EXPECT_LT(v, 20) << name << " x " << x;
                } else if (x > 24) {
                    EXPECT_GT(v, 235) << name << " x " << x;
                }
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Small and empty sizes

TEST(ResampleBitmap, OneColumnOrRowFromManyUsesScaleOneOverSize) {
    // Triangle weights 0.25, 0.375 (two mirrored taps), 0.25, 0.125 on pixels 0..3:
    // b 16, 32, 64, 128 -> 48; g 255, 0, 0, 0 -> 63.75 -> 64; r 0, 0, 0, 200 -> 25.
    const Bitmap wide = FromRows({{16, 255, 0, 32, 0, 0, 64, 0, 0, 128, 0, 200}});
    Bitmap tall(1, 4);
    for (int y = 0; y < 4; ++y) {
        tall.WriteRowBgr(y, 0, 1, Row(wide, 0).data() + 3 * y);
    }
    const std::vector<std::uint8_t> expected = {48, 64, 25};
    for (ResamplePath path : Paths()) {
        EXPECT_EQ(Row(Resampled(wide, 1, 1, Filter("Triangle"), path), 0), expected)
            << ResamplePathName(path);
        EXPECT_EQ(Row(Resampled(tall, 1, 1, Filter("Triangle"), path), 0), expected)
            << ResamplePathName(path);
    }
}

TEST(ResampleBitmap, OnePixelPicturesAndTargetsWork) {
    const Bitmap dot = SolidBitmap(1, 1, 10, 128, 255);
    for (const FilterEntry& filter : FilterTable) {
        for (ResamplePath path : Paths()) {
            // Every kernel's weights add up to 1 here, so the pixel keeps its colour.
            EXPECT_TRUE(SamePicture(Resampled(dot, 1, 1, filter, path), dot))
                << filter.name << " " << ResamplePathName(path);
            const Bitmap line = Resampled(dot, 7, 1, filter, path);
            EXPECT_EQ(line.Width(), 7);
            EXPECT_EQ(line.Height(), 1);
        }
    }
    // Rows of one pixel's height, both ways.
    const Bitmap strip = PatternBitmap(9, 1);
    for (ResamplePath path : Paths()) {
        EXPECT_TRUE(SamePicture(Resampled(strip, 9, 1, Filter("Triangle"), path), strip))
            << ResamplePathName(path);
    }
    for (auto [w, h] : {std::pair{20, 1}, std::pair{4, 1}, std::pair{9, 6}}) {
        EXPECT_TRUE(MatchesReference(strip, w, h, Filter("Mitchell"))) << w << "x" << h;
    }
}

TEST(ResampleBitmap, TinySourcesWorkWithWideKernels) {
    const Bitmap tiny = PatternBitmap(2, 2);
    for (const char* name : {"Bell", "Lanczos3", "B-Spline"}) {
        EXPECT_TRUE(MatchesReference(tiny, 200, 200, Filter(name)));
    }
}

TEST(ResampleBitmap, TargetsWithoutPixelsFailBeforeAnythingChanges) {
    for (auto [w, h] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{0, 0}}) {
        Bitmap source(4, 4, PixelFormat::Bit8);
        Bitmap destination(w, h, PixelFormat::Bit32);
        try {
            ResampleBitmap(source, destination, BellFilter, 1.5f);
            ADD_FAILURE() << w << "x" << h << " did not fail";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find("at least 1"), std::string::npos) << e.what();
        }
        EXPECT_EQ(source.Format(), PixelFormat::Bit8) << "the source was converted";
        EXPECT_EQ(destination.Format(), PixelFormat::Bit32);
        EXPECT_EQ(destination.Width(), w);
        EXPECT_EQ(destination.Height(), h);
    }
}

TEST(ResampleBitmap, EmptySourcesFailWithSourceBitmapTooSmall) {
    for (auto [w, h] : {std::pair{0, 5}, std::pair{5, 0}}) {
        Bitmap source(w, h);
        for (int target : {0, 3}) {
            Bitmap destination = SolidBitmap(target, 3, 1, 2, 3);
            const Bitmap before(destination);
            try {
                ResampleBitmap(source, destination, TriangleFilter, 1.0f);
                ADD_FAILURE() << "no error";
            } catch (const Error& e) {
                EXPECT_STREQ(e.what(), "Source bitmap too small");
            }
            EXPECT_TRUE(SamePicture(destination, before));
        }
    }
}

// ---------------------------------------------------------------------------
// Formats and arguments

TEST(ResampleBitmap, UnusableFiltersFailBeforeAnythingChanges) {
    const struct {
        const char* what;
        FilterKernel kernel;
        float support;
    } cases[] = {{"no kernel", nullptr, 1.0f},
                 {"negative support", TriangleFilter, -1.0f},
                 {"support not a number", TriangleFilter, std::nanf("")},
                 {"endless support", TriangleFilter, INFINITY}};
    for (const auto& c : cases) {
        Bitmap source(4, 4, PixelFormat::Bit8);
        Bitmap destination = SolidBitmap(3, 3, 1, 2, 3);
        const Bitmap before(destination);
        EXPECT_THROW(ResampleBitmap(source, destination, c.kernel, c.support), Error) << c.what;
        EXPECT_EQ(source.Format(), PixelFormat::Bit8) << c.what;
        EXPECT_TRUE(SamePicture(destination, before)) << c.what;
    }
}

TEST(ResampleBitmap, EightBitSourcesComeOutAsTheir24BitEquivalent) {
    Bitmap eightBit(13, 11, PixelFormat::Bit8);
    const Bitmap pattern = PatternBitmap(13, 11);
    for (int y = 0; y < 11; ++y) {
        eightBit.WriteRowBgr(y, 0, 13, Row(pattern, y).data());
    }
    Bitmap as24(eightBit);
    as24.To24Bit();
    Bitmap destination(29, 5, PixelFormat::Bit8);
    ResampleBitmap(eightBit, destination, MitchellFilter, 2.0f);
    EXPECT_EQ(eightBit.Format(), PixelFormat::Bit24);
    EXPECT_EQ(destination.Format(), PixelFormat::Bit24);
    EXPECT_TRUE(SamePicture(eightBit, as24)) << "the source lost pixels";
    EXPECT_TRUE(SamePicture(destination, Resampled(as24, 29, 5, Filter("Mitchell"))));
    // A source that must stay as it is gives the same picture and keeps its format.
    const Bitmap& constant = as24;
    const Bitmap kept8(13, 11, PixelFormat::Bit8);
    for (const Bitmap* source : {&constant, &kept8}) {
        Bitmap again(29, 5);
        ResampleBitmap(*source, again, MitchellFilter, 2.0f);
        Bitmap source24(*source);
        source24.To24Bit();
        EXPECT_TRUE(SamePicture(again, Resampled(source24, 29, 5, Filter("Mitchell"))));
    }
    EXPECT_EQ(kept8.Format(), PixelFormat::Bit8);
}

TEST(ResampleBitmap, SourceAndDestinationMayBeTheSameBitmap) {
    const Bitmap original = PatternBitmap(17, 9);
    Bitmap both(original);
    ResampleBitmap(both, both, BellFilter, 1.5f);
    EXPECT_TRUE(SamePicture(both, Resampled(original, 17, 9, Filter("Bell"))));
}

// ---------------------------------------------------------------------------
// The fast passes against the literal algorithm

TEST(ResampleBitmap, MatchesTheLiteralAlgorithmByteForByte) {
    for (const SizeCase& c : kSizeCases) {
        const Bitmap source = PatternBitmap(c.sourceWidth, c.sourceHeight, 7);
        for (const FilterEntry& filter : FilterTable) {
            const Bitmap expected =
                ReferenceResample(source, c.width, c.height, filter.kernel, filter.support);
            for (ResamplePath path : Paths()) {
                EXPECT_TRUE(
                    SamePicture(Resampled(source, c.width, c.height, filter, path), expected))
                    << c.what << ", " << filter.name << ", " << ResamplePathName(path);
            }
        }
    }
}

TEST(ResampleBitmap, MatchesTheLiteralAlgorithmOnRandomSizes) {
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> size(1, 90);
    std::uniform_int_distribution<int> pick(0, 6);
    for (int n = 0; n < 80; ++n) {
        const int sw = size(random);
        const int sh = size(random);
        const int dw = size(random);
        const int dh = size(random);
        const FilterEntry& filter = FilterTable[static_cast<std::size_t>(pick(random))];
        const Bitmap source = PatternBitmap(sw, sh, static_cast<std::uint32_t>(n));
        EXPECT_TRUE(MatchesReference(source, dw, dh, filter))
            << sw << "x" << sh << " -> " << dw << "x" << dh;
    }
}

TEST(ResampleBitmap, DownscalesTenfoldLikeTheLiteralAlgorithm) {
    const Bitmap photo = PatternBitmap(640, 480, 3);
    for (const char* name : {"Triangle", "Lanczos3"}) {
        EXPECT_TRUE(MatchesReference(photo, 64, 48, Filter(name)));
    }
}

TEST(ResampleBitmap, BandsOnSeveralThreadsGiveTheBytesOfOnePass) {
    for (const SizeCase& c : kSizeCases) {
        const Bitmap source = PatternBitmap(c.sourceWidth, c.sourceHeight, 11);
        for (const FilterEntry& filter : FilterTable) {
            for (ResamplePath path : Paths()) {
                const Bitmap one = Resampled(source, c.width, c.height, filter, path, 1);
                for (int threads : {2, 3, 7}) {
                    EXPECT_TRUE(SamePicture(
                        Resampled(source, c.width, c.height, filter, path, threads), one))
                        << c.what << ", " << filter.name << ", " << ResamplePathName(path) << ", "
                        << threads << " threads";
                }
            }
        }
    }
}

TEST(ResampleBitmap, LargePicturesSplitByThemselvesAndKeepTheirBytes) {
    // Big enough for bands of their own accord; odd sizes both ways.
    const Bitmap large = PatternBitmap(1001, 703, 5);
    const Bitmap small = PatternBitmap(251, 187, 6);
    for (const char* name : {"Lanczos3", "Mitchell", "Box"}) {
        for (ResamplePath path : Paths()) {
            EXPECT_TRUE(SamePicture(Resampled(large, 333, 251, Filter(name), path),
                                    Resampled(large, 333, 251, Filter(name), path, 1)))
                << name << " shrinking, " << ResamplePathName(path);
            EXPECT_TRUE(SamePicture(Resampled(small, 1003, 749, Filter(name), path),
                                    Resampled(small, 1003, 749, Filter(name), path, 1)))
                << name << " enlarging, " << ResamplePathName(path);
        }
    }
}

TEST(ResamplePaths, AutoAndPlainAreAlwaysAvailable) {
    EXPECT_TRUE(ResamplePathAvailable(ResamplePath::Auto));
    EXPECT_TRUE(ResamplePathAvailable(ResamplePath::Plain));
    EXPECT_GE(Paths().size(), 1u);
}

} // namespace
} // namespace pixmoth
