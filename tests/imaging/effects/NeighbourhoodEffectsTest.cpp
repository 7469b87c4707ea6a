// What every neighbourhood and distortion effect shares: any picture size and
// any argument is safe, any pixel format comes out as the 24-bit result, and
// arguments without an effect leave the picture as it is.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestPictures.h"
#include "imaging/bitmap/Error.h"
#include "imaging/effects/BlurEffects.h"
#include "imaging/effects/EdgeEffects.h"
#include "imaging/effects/RippleEffects.h"
#include "imaging/effects/TileEffects.h"

namespace pixmoth {
namespace {

using test::PatternBitmap;
using test::SamePicture;

constexpr int kMin = -2147483647 - 1;
constexpr int kMax = 2147483647;

struct Effect {
    std::string name;
    std::function<void(Bitmap&, int)> run;
};

std::vector<Effect> Effects() {
    auto plain = [](void (*f)(Bitmap&)) { return [f](Bitmap& b, int) { f(b); }; };
    return {{"Emboss", plain(Emboss)},
            {"Shadow", plain(Shadow)},
            {"AntiAlias", plain(AntiAlias)},
            {"AntiAliasRect", [](Bitmap& b, int v) { AntiAliasRect(b, v, ~v, 2, 3); }},
            {"SplitBlur", SplitBlur},
            {"GaussianBlur", [](Bitmap& b, int v) { GaussianBlur(b, std::min(v, 300)); }},
            {"Mosaic", Mosaic},
            {"Trace", Trace},
            {"Seamless", Seamless},
            {"HorizClip", HorizClip},
            {"Triangles", Triangles},
            {"RippleTooth", RippleTooth},
            {"RippleTriangle", RippleTriangle},
            {"RippleRandom", RippleRandom},
            {"TexturizeTile", TexturizeTile},
            {"TexturizeOverlap", TexturizeOverlap},
            {"HeightMap", HeightMap}};
}

TEST(NeighbourhoodEffects, AnySizeAndArgumentIsSafe) {
    // Under the sanitizers this also shows that nothing is read or written
    // outside the picture.
    const std::vector<std::pair<int, int>> sizes = {{0, 0}, {0, 4}, {4, 0}, {1, 1}, {1, 6},
                                                    {6, 1}, {2, 2}, {3, 3}, {7, 4}, {13, 9}};
    const std::vector<int> values = {kMin, -300, -3, -1,  0,   1,     2,   3,
                                     4,    5,    6,  255, 256, 70000, kMax};
    for (const Effect& effect : Effects()) {
        const bool divides = effect.name == "Seamless" || effect.name == "HorizClip";
        for (const auto& [w, h] : sizes) {
            for (int value : values) {
                Bitmap picture = PatternBitmap(w, h);
                const std::string what = effect.name + " " + std::to_string(w) + "x" +
                                         std::to_string(h) + " " + std::to_string(value);
                if (divides && value == 0) {
                    EXPECT_THROW(effect.run(picture, value), Error) << what;
                    continue;
                }
                // A negative amount sends these to a row outside the picture:
                // always for the split blur and the ripples, for HeightMap when
                // some pixel is bright enough to sink below the last row.
                const bool leavesThePicture =
                    value < 0 && (effect.name == "SplitBlur" || effect.name == "HeightMap" ||
                                  effect.name.rfind("Ripple", 0) == 0);
                if (leavesThePicture) {
                    try {
                        effect.run(picture, value);
                        EXPECT_TRUE(effect.name == "HeightMap" ||
                                    (effect.name == "SplitBlur" && picture.Empty()))
                            << what << " did not fail";
                    } catch (const Error& e) {
                        EXPECT_STREQ(e.what(), "Scan line index out of range") << what;
                    }
                    continue;
                }
                EXPECT_NO_THROW(effect.run(picture, value)) << what;
                EXPECT_EQ(picture.Width(), w) << what;
                EXPECT_EQ(picture.Height(), h) << what;
                EXPECT_EQ(picture.Format(), PixelFormat::Bit24) << what;
            }
        }
    }
}

TEST(NeighbourhoodEffects, PalettePicturesGiveTheResultOfTheirColours) {
    Bitmap indexed(19, 14, PixelFormat::Bit8);
    for (int y = 0; y < 14; ++y) {
        for (int x = 0; x < 19; ++x) {
            indexed.ScanLine(y)[x] = static_cast<std::uint8_t>(x * 37 + y * 91);
        }
    }
    Bitmap rgb = indexed;
    rgb.To24Bit();
    for (const Effect& effect : Effects()) {
        if (effect.name == "RippleRandom") {
            continue; // reseeds from the clock; its format is checked above
        }
        Bitmap a = indexed;
        Bitmap b = rgb;
        effect.run(a, 5);
        effect.run(b, 5);
        EXPECT_EQ(a.Format(), PixelFormat::Bit24) << effect.name;
        EXPECT_TRUE(SamePicture(a, b)) << effect.name;
    }
}

TEST(NeighbourhoodEffects, ArgumentsWithoutEffectLeaveThePicture) {
    struct Case {
        const char* name;
        std::string effect;
        std::vector<int> values;
        int w = 9, h = 8;
        bool uniform = false; // one colour instead of the pattern
    };
    const std::vector<Case> cases = {
        {"mosaic blocks of one pixel or less", "Mosaic", {1, 0, -1, kMin}},
        {"split blur without an amount", "SplitBlur", {0}},
        {"gaussian blur with no pass", "GaussianBlur", {-1, kMin}},
        {"trace without a pass", "Trace", {0, -1, kMin}},
        {"horizontal ramps of a pixel or less", "HorizClip", {9, 100, -1, -3, kMin}},
        {"ripples without an offset", "RippleTooth", {0}},
        {"triangle ripple without an offset", "RippleTriangle", {0}},
        {"random ripple without an offset", "RippleRandom", {0}},
        {"ripples of a single row", "RippleTriangle", {1, 5, kMax}, 9, 1},
        {"random ripple of a single row", "RippleRandom", {1, 5, kMax}, 9, 1},
        {"no tile size", "TexturizeTile", {0, -4, kMin}},
        {"no overlapping tile size", "TexturizeOverlap", {0, -4, kMin}},
        {"no tile in a thin picture", "TexturizeTile", {1, 5}, 1, 9},
        {"no overlapping tile in a flat picture", "TexturizeOverlap", {1, 5}, 9, 1},
        {"no height", "HeightMap", {0}},
        // Only black pixels stay inside; the pattern has none.
        {"heights beyond the picture", "HeightMap", {kMax}},
        {"anti-alias without an inside", "AntiAlias", {0}, 2, 9},
        {"anti-alias of a single column", "AntiAlias", {0}, 1, 5},
        {"trace of a uniform picture", "Trace", {1, 2, 3, kMax}, 50, 40, true},
        {"blurs of a uniform picture", "GaussianBlur", {0, 1, kMax}, 50, 40, true},
    };
    for (const Case& c : cases) {
        for (const Effect& effect : Effects()) {
            if (effect.name != c.effect) {
                continue;
            }
            const Bitmap original =
                c.uniform ? test::SolidBitmap(c.w, c.h, 9, 99, 199) : PatternBitmap(c.w, c.h);
            for (int value : c.values) {
                Bitmap picture = original;
                effect.run(picture, value);
                EXPECT_TRUE(SamePicture(picture, original)) << c.name << " " << value;
            }
        }
    }
}

} // namespace
} // namespace pixmoth
