// What every neighbourhood and distortion effect shares: any picture size and
// any argument is safe, and any pixel format comes out as the 24-bit result.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "EffectPictures.h"
#include "TestPictures.h"
#include "imaging/BlurEffects.h"
#include "imaging/EdgeEffects.h"
#include "imaging/Error.h"
#include "imaging/RippleEffects.h"
#include "imaging/TileEffects.h"

namespace pixmoth {
namespace {

using test::PatternBitmap;
using test::SamePicture;

struct Effect {
    std::string name;
    std::function<void(Bitmap&, int)> run;
    bool divides = false; // fails for 0
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
            {"Seamless", Seamless, true},
            {"HorizClip", HorizClip, true},
            {"Triangles", Triangles},
            {"RippleTooth", RippleTooth},
            {"RippleTriangle", RippleTriangle},
            {"RippleRandom", RippleRandom},
            {"TexturizeTile", TexturizeTile},
            {"TexturizeOverlap", TexturizeOverlap},
            {"HeightMap", HeightMap}};
}

TEST(NeighbourhoodEffects, AnySizeAndArgumentIsSafe) {
    // Run under the sanitizers, this also shows that no effect reads or writes
    // outside the picture.
    const std::vector<std::pair<int, int>> sizes = {{1, 1}, {1, 6}, {6, 1}, {2, 2}, {3, 3},
                                                    {4, 5}, {7, 4}, {13, 9}};
    const std::vector<int> values = {-2147483647 - 1, -300, -3, -1, 0, 1, 2, 3,
                                     4, 5, 6, 255, 256, 70000, 2147483647};
    for (const Effect& effect : Effects()) {
        for (const auto& [w, h] : sizes) {
            for (int value : values) {
                Bitmap picture = PatternBitmap(w, h);
                const std::string what = effect.name + " " + std::to_string(w) + "x" +
                                         std::to_string(h) + " " + std::to_string(value);
                if (effect.divides && value == 0) {
                    EXPECT_THROW(effect.run(picture, value), Error) << what;
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
    const Bitmap indexed = test::EightBitPattern(19, 14);
    Bitmap rgb = indexed;
    rgb.To24Bit();
    for (const Effect& effect : Effects()) {
        if (effect.name == "RippleRandom") {
            continue; // reseeds from the clock; its format is covered above
        }
        for (int value : {2, 5}) {
            Bitmap a = indexed;
            Bitmap b = rgb;
            effect.run(a, value);
            effect.run(b, value);
            EXPECT_EQ(a.Format(), PixelFormat::Bit24) << effect.name;
            EXPECT_TRUE(SamePicture(a, b)) << effect.name << " " << value;
        }
    }
}

TEST(NeighbourhoodEffects, EmptyPicturesStayEmpty) {
    for (const Effect& effect : Effects()) {
        for (const auto& [w, h] : std::vector<std::pair<int, int>>{{0, 0}, {0, 4}, {4, 0}}) {
            Bitmap picture(w, h);
            EXPECT_NO_THROW(effect.run(picture, 3)) << effect.name;
            EXPECT_EQ(picture.Width(), w);
            EXPECT_EQ(picture.Height(), h);
        }
    }
}

} // namespace
} // namespace pixmoth
