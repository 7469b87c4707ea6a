#include <exception>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestPictures.h"
#include "imaging/bitmap/Random.h"
#include "imaging/effects/BlurEffects.h"
#include "imaging/effects/ColourEffects.h"
#include "imaging/effects/EdgeEffects.h"
#include "imaging/effects/EnhancementTable.h"
#include "imaging/effects/RippleEffects.h"
#include "imaging/effects/TileEffects.h"

namespace pixmoth {
namespace {

using test::PatternBitmap;
using test::SamePicture;

struct Entry {
    int index;
    const char* name;
    // The call the entry must make for factor v, on a source copy and a work bitmap.
    std::function<void(Bitmap& source, Bitmap& work, int v)> expected;
};

int Abs(int v) {
    return v < 0 ? -v : v;
}

const std::vector<Entry>& Entries() {
    static const std::vector<Entry> entries = {
        {0, "Solorize", [](Bitmap& s, Bitmap& w, int v) { Solarize(s, w, v); }},
        {1, "Posterize", [](Bitmap& s, Bitmap& w, int v) { Posterize(s, w, v * 10 + 1); }},
        {2, "HeightMap (Size of Map Seg.        ->)",
         [](Bitmap&, Bitmap& w, int v) { HeightMap(w, Abs(v)); }},
        {3, "TexturizeTile (Size of Tile               ->)",
         [](Bitmap&, Bitmap& w, int v) { TexturizeTile(w, Abs(v)); }},
        {4, "TexturizeOverlap (Size of Tile        ->)",
         [](Bitmap&, Bitmap& w, int v) { TexturizeOverlap(w, Abs(v)); }},
        {6, "Ripple Toth", [](Bitmap&, Bitmap& w, int v) { RippleTooth(w, Abs(v)); }},
        {7, "RippleTriangle", [](Bitmap&, Bitmap& w, int v) { RippleTriangle(w, Abs(v)); }},
        {8, "Triangles", [](Bitmap&, Bitmap& w, int v) { Triangles(w, Abs(v)); }},
        {9, "Keep Blue", [](Bitmap&, Bitmap& w, int v) { KeepBlue(w, Abs(v)); }},
        {10, "Keep Green", [](Bitmap&, Bitmap& w, int v) { KeepGreen(w, Abs(v)); }},
        {11, "Keep Red", [](Bitmap&, Bitmap& w, int v) { KeepRed(w, Abs(v)); }},
        {12, "Darken", [](Bitmap&, Bitmap& w, int v) { Darken(w, Abs(v)); }},
        {13, "Trace", [](Bitmap&, Bitmap& w, int v) { Trace(w, Abs(v)); }},
        {14, "Seamless", [](Bitmap&, Bitmap& w, int v) { Seamless(w, Abs(v)); }},
        {15, "HorizClip", [](Bitmap&, Bitmap& w, int v) { HorizClip(w, Abs(v)); }},
        {16, "Mosaic", [](Bitmap&, Bitmap& w, int v) { Mosaic(w, Abs(v)); }},
        {17, "SplitBlur", [](Bitmap&, Bitmap& w, int v) { SplitBlur(w, Abs(v)); }},
        {18, "GaussianBlur", [](Bitmap&, Bitmap& w, int v) { GaussianBlur(w, Abs(v)); }},
        {19, "AddColorNoise", [](Bitmap&, Bitmap& w, int v) { AddColorNoise(w, Abs(v) * 10); }},
        {20, "AddMonoNoise", [](Bitmap&, Bitmap& w, int v) { AddMonoNoise(w, Abs(v) * 10); }},
        {21, "Contrast", [](Bitmap&, Bitmap& w, int v) { Contrast(w, Abs(v) * 10); }},
        {22, "Lightness", [](Bitmap&, Bitmap& w, int v) { Lightness(w, Abs(v) * 10); }},
        {23, "Saturation", [](Bitmap&, Bitmap& w, int v) { Saturation(w, Abs(v) * 10); }},
    };
    return entries;
}

TEST(EnhancementTable, EachEntryRunsItsFunctionWithTheFactorAsTheDialogPassesIt) {
    const Bitmap picture = PatternBitmap(23, 17);
    for (const Entry& entry : Entries()) {
        EXPECT_EQ(EnhancementName(entry.index), entry.name);
        for (int factor : {1, 3, -3, 0, 7}) {
            // Both sides may fail alike (Seamless and HorizClip divide by 0).
            const auto outcome = [&](auto run, Bitmap& work) {
                SetRandSeed(99);
                try {
                    run(work);
                    return std::string();
                } catch (const std::exception& e) {
                    return std::string(e.what());
                }
            };
            Bitmap source = picture;
            Bitmap work = picture;
            const std::string error =
                outcome([&](Bitmap& w) { RunEnhancement(entry.index, factor, source, w); }, work);
            Bitmap expectedSource = picture;
            Bitmap expectedWork = picture;
            const std::string expectedError = outcome(
                [&](Bitmap& w) { entry.expected(expectedSource, w, factor); }, expectedWork);
            EXPECT_EQ(error, expectedError) << entry.name << " factor " << factor;
            EXPECT_TRUE(SamePicture(work, expectedWork)) << entry.name << " factor " << factor;
            EXPECT_TRUE(SamePicture(source, picture)) << entry.name << " changed the source copy";
        }
    }
}

TEST(EnhancementTable, RippleRandomReseedsFromTheClockAndKeepsTheSizeOfItsRipples) {
    // Entry 5 reseeds, so its result cannot be replayed; its offsets stay below
    // the factor, so a factor of 1 moves nothing.
    EXPECT_EQ(EnhancementName(5), "Ripple Random");
    const Bitmap picture = PatternBitmap(9, 8);
    Bitmap source = picture;
    Bitmap work = picture;
    RunEnhancement(5, -1, source, work);
    EXPECT_TRUE(SamePicture(work, picture));
}

TEST(EnhancementTable, TheWorkedDialogCasesHold) {
    const Bitmap picture = PatternBitmap(8, 6);
    // Factor 0 with Posterize is step 1: the unchanged picture.
    Bitmap source = picture;
    Bitmap work = picture;
    RunEnhancement(1, 0, source, work);
    EXPECT_TRUE(SamePicture(work, picture));
    // Solarize with -3 inverts every pixel (every average is above -3).
    RunEnhancement(0, -3, source, work);
    for (int y = 0; y < 6; ++y) {
        for (int i = 0; i < 24; ++i) {
            EXPECT_EQ(work.ScanLine(y)[i], 255 - picture.ScanLine(y)[i]);
        }
    }
    // Lightness and Saturation with the same factor differ.
    Bitmap light = picture;
    Bitmap saturated = picture;
    RunEnhancement(22, 1, source, light);
    RunEnhancement(23, 1, source, saturated);
    EXPECT_FALSE(SamePicture(light, saturated));
}

TEST(EnhancementTable, IndicesOutsideTheListRunNothing) {
    const Bitmap picture = PatternBitmap(5, 5);
    for (int index : {-1, 24, 1000, std::numeric_limits<int>::min()}) {
        Bitmap source = picture;
        Bitmap work = picture;
        RunEnhancement(index, 10, source, work);
        EXPECT_TRUE(SamePicture(work, picture)) << index;
        EXPECT_EQ(EnhancementName(index), "");
    }
}

TEST(EnhancementTable, HugeFactorsSaturateInsteadOfWrapping) {
    // |INT_MIN| and INT_MAX x 10 do not fit in 32 bits: they reach the effect as
    // INT_MAX, never as a wrapped (negative or small) amount.
    const Bitmap picture = PatternBitmap(6, 4);
    for (int index : {1, 12, 21, 22}) {
        for (int factor : {std::numeric_limits<int>::max(), std::numeric_limits<int>::min()}) {
            Bitmap source = picture;
            Bitmap work = picture;
            RunEnhancement(index, factor, source, work);
            Bitmap expectedSource = picture;
            Bitmap expected = picture;
            const int big = std::numeric_limits<int>::max();
            switch (index) {
            case 1:
                Posterize(expectedSource, expected,
                          factor > 0 ? big : std::numeric_limits<int>::min());
                break;
            case 12:
                Darken(expected, big);
                break;
            case 21:
                Contrast(expected, big);
                break;
            default:
                Lightness(expected, big);
                break;
            }
            EXPECT_TRUE(SamePicture(work, expected)) << index << " " << factor;
        }
    }
}

} // namespace
} // namespace pixmoth
