#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestPictures.h"
#include "imaging/bitmap/Random.h"
#include "imaging/effects/ColourEffects.h"

namespace pixmoth {
namespace {

using test::PatternBitmap;
using test::SamePicture;
using test::SolidBitmap;
using Bgr = std::array<int, 3>;

Bgr PixelAt(const Bitmap& bitmap, int x, int y) {
    const PaletteEntry p = bitmap.PixelColor(x, y);
    return {p.blue, p.green, p.red};
}

// An effect as a one-bitmap call; the two-bitmap ones write into a fresh destination.
using Effect = std::function<void(Bitmap&)>;

Effect SolarizeBy(int threshold) {
    return [threshold](Bitmap& b) {
        Bitmap out;
        Solarize(b, out, threshold);
        b = out;
    };
}

Effect PosterizeBy(int step) {
    return [step](Bitmap& b) {
        Bitmap out;
        Posterize(b, out, step);
        b = out;
    };
}

template <typename Amount>
Effect With(void (*effect)(Bitmap&, Amount), Amount amount) {
    return [effect, amount](Bitmap& b) { effect(b, amount); };
}

struct WorkedCase {
    std::string name;
    Effect effect;
    Bgr in;
    Bgr out;
};

// Hand-computed; every case must hold for a lone pixel and for a wide picture
// of that pixel (the wide one runs the vector loops, the lone one the tails).
TEST(ColourEffects, WorkedValues) {
    const std::vector<WorkedCase> cases = {
        {"grey: blue weighs 0.30, 76.5 rounds to even", GreyScale, {255, 0, 0}, {76, 76, 76}},
        {"grey: green weighs 0.59", GreyScale, {0, 255, 0}, {150, 150, 150}},
        {"grey: red weighs 0.11", GreyScale, {0, 0, 255}, {28, 28, 28}},
        {"grey: white stays white", GreyScale, {255, 255, 255}, {255, 255, 255}},
        {"invert", Invert, {0, 128, 255}, {255, 127, 0}},
        {"solarize: average 85 above 84 inverts", SolarizeBy(84), {255, 0, 0}, {0, 255, 255}},
        {"solarize: average 85 not above 85", SolarizeBy(85), {255, 0, 0}, {255, 0, 0}},
        {"solarize: 255 copies white", SolarizeBy(255), {255, 255, 255}, {255, 255, 255}},
        {"solarize: negative inverts black", SolarizeBy(-1), {0, 0, 0}, {255, 255, 255}},
        {"solarize: 0 keeps average 0", SolarizeBy(0), {1, 1, 0}, {1, 1, 0}},
        {"solarize: 0 inverts average 1", SolarizeBy(0), {1, 1, 1}, {254, 254, 254}},
        {"posterize 11: 200 -> 18 * 11", PosterizeBy(11), {200, 0, 255}, {198, 0, 253}},
        {"posterize 2: halves round to even", PosterizeBy(2), {1, 3, 5}, {0, 4, 4}},
        {"posterize 71: 284 held at 255", PosterizeBy(71), {250, 35, 36}, {255, 0, 71}},
        {"posterize 509: 509 held at 255", PosterizeBy(509), {255, 254, 0}, {255, 0, 0}},
        {"posterize 510: 0.5 rounds to 0", PosterizeBy(510), {255, 255, 255}, {0, 0, 0}},
        {"posterize -11 as 11", PosterizeBy(-11), {200, 0, 255}, {198, 0, 253}},
        {"posterize -71: 284 held at 255", PosterizeBy(-71), {250, 35, 36}, {255, 0, 71}},
        {"posterize 0 copies", PosterizeBy(0), {200, 17, 255}, {200, 17, 255}},
        {"posterize INT_MIN is black", PosterizeBy(INT_MIN), {255, 128, 1}, {0, 0, 0}},
        {"keep blue 2: 400 held at 255", With(KeepBlue, 2.0), {200, 100, 50}, {255, 0, 0}},
        {"keep blue 1 keeps blue", With(KeepBlue, 1.0), {200, 100, 50}, {200, 0, 0}},
        {"keep green 1.5: 151.5 to even", With(KeepGreen, 1.5), {10, 101, 20}, {0, 152, 0}},
        {"keep red 0.5: 2.5 to even", With(KeepRed, 0.5), {9, 9, 5}, {0, 0, 2}},
        {"keep red 0.5: 3.5 to even", With(KeepRed, 0.5), {9, 9, 7}, {0, 0, 4}},
        {"keep red -1 held at 0", With(KeepRed, -1.0), {9, 9, 200}, {0, 0, 0}},
        {"darken 255 is black", With(Darken, 255), {255, 128, 1}, {0, 0, 0}},
        {"darken 100", With(Darken, 100), {200, 255, 0}, {122, 155, 0}},
        {"darken -100 brightens, clamped", With(Darken, -100), {200, 100, 0}, {255, 139, 0}},
        // 10^7 * 255 leaves 32 bits and wraps negative: 255 gains instead of losing.
        {"darken 10^7 wraps at 255", With(Darken, 10000000), {200, 255, 0}, {0, 255, 0}},
        {"lightness 10: 0 -> 10", With(Lightness, 10), {0, 0, 0}, {10, 10, 10}},
        {"lightness 100", With(Lightness, 100), {55, 255, 0}, {133, 255, 100}},
        {"lightness 255 is white", With(Lightness, 255), {0, 100, 254}, {255, 255, 255}},
        {"contrast 255 around 127", With(Contrast, 255), {100, 127, 128}, {73, 127, 129}},
        {"contrast 255 clamps", With(Contrast, 255), {200, 0, 255}, {255, 0, 255}},
        {"contrast 2550", With(Contrast, 2550), {120, 130, 127}, {50, 160, 127}},
        {"saturation 0 is grey", With(Saturation, 0), {10, 20, 60}, {30, 30, 30}},
        {"saturation 255 keeps", With(Saturation, 255), {10, 20, 60}, {10, 20, 60}},
        {"saturation 510 doubles, clamped", With(Saturation, 510), {10, 20, 60}, {0, 10, 90}},
        {"saturation truncates toward 0", With(Saturation, 100), {0, 0, 4}, {1, 1, 2}},
        {"saturation -255 mirrors", With(Saturation, -255), {10, 20, 60}, {50, 40, 0}},
    };
    for (const WorkedCase& c : cases) {
        for (const auto& [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {75, 2}}) {
            Bitmap picture =
                SolidBitmap(w, h, static_cast<std::uint8_t>(c.in[0]),
                            static_cast<std::uint8_t>(c.in[1]), static_cast<std::uint8_t>(c.in[2]));
            c.effect(picture);
            ASSERT_EQ(picture.Format(), PixelFormat::Bit24) << c.name;
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    ASSERT_EQ(PixelAt(picture, x, y), c.out)
                        << c.name << ", " << w << "x" << h << " at " << x << "," << y;
                }
            }
        }
    }
}

// The effects written out per pixel, in 64-bit arithmetic, for amounts that do
// not overflow 32 bits.
int Clamp(long long v) {
    return v < 0 ? 0 : (v > 255 ? 255 : static_cast<int>(v));
}

using PixelRule = std::function<Bgr(Bgr)>;

PixelRule EachChannel(std::function<int(int)> rule) {
    return [rule](Bgr p) { return Bgr{rule(p[0]), rule(p[1]), rule(p[2])}; };
}

struct FormulaCase {
    std::string name;
    Effect effect;
    PixelRule rule;
};

std::vector<FormulaCase> FormulaCases() {
    std::vector<FormulaCase> cases;
    cases.push_back({"grey", GreyScale, [](Bgr p) {
                         const auto g = static_cast<int>(
                             std::nearbyint(p[0] * 0.30 + p[1] * 0.59 + p[2] * 0.11));
                         return Bgr{g, g, g};
                     }});
    cases.push_back({"invert", Invert, EachChannel([](int c) { return 255 - c; })});
    for (int t : {-5, 0, 84, 128, 254, 255}) {
        cases.push_back(
            {"solarize " + std::to_string(t), SolarizeBy(t), [t](Bgr p) {
                 return (p[0] + p[1] + p[2]) / 3 > t ? Bgr{255 - p[0], 255 - p[1], 255 - p[2]} : p;
             }});
    }
    for (int step : {1, 11, 71, 2551, -21}) {
        cases.push_back(
            {"posterize " + std::to_string(step), PosterizeBy(step), EachChannel([step](int c) {
                 return Clamp(static_cast<long long>(std::nearbyint(double(c) / step)) * step);
             })});
    }
    for (double f : {0.5, 1.0, 3.7}) {
        const auto keep = [f](int c) { return Clamp(std::llrint(c * f)); };
        cases.push_back({"keep blue", With(KeepBlue, f), [keep](Bgr p) {
                             return Bgr{keep(p[0]), 0, 0};
                         }});
        cases.push_back({"keep green", With(KeepGreen, f), [keep](Bgr p) {
                             return Bgr{0, keep(p[1]), 0};
                         }});
        cases.push_back({"keep red", With(KeepRed, f), [keep](Bgr p) {
                             return Bgr{0, 0, keep(p[2])};
                         }});
    }
    for (int a : {1, 77, 255, 2550, -300}) {
        const std::string n = std::to_string(a);
        cases.push_back({"darken " + n, With(Darken, a),
                         EachChannel([a](int c) { return Clamp(c - (long long)a * c / 255); })});
        cases.push_back({"lightness " + n, With(Lightness, a), EachChannel([a](int c) {
                             return Clamp(c + (long long)a * (255 - c) / 255);
                         })});
        cases.push_back({"contrast " + n, With(Contrast, a), EachChannel([a](int c) {
                             const long long d = (long long)a * std::abs(127 - c) / 255;
                             return c > 127 ? Clamp(c + d) : Clamp(c - d);
                         })});
        cases.push_back({"saturation " + n, With(Saturation, a), [a](Bgr p) {
                             const int g = (p[0] + p[1] + p[2]) / 3;
                             Bgr out;
                             for (int k = 0; k < 3; ++k) {
                                 out[k] = Clamp(g + (long long)(p[k] - g) * a / 255);
                             }
                             return out;
                         }});
    }
    return cases;
}

Bitmap ByRule(const Bitmap& picture, const PixelRule& rule) {
    Bitmap out(picture.Width(), picture.Height());
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            const Bgr p = rule(PixelAt(picture, x, y));
            out.SetPixelColor(x, y,
                              PaletteEntry{static_cast<std::uint8_t>(p[0]),
                                           static_cast<std::uint8_t>(p[1]),
                                           static_cast<std::uint8_t>(p[2]), 0});
        }
    }
    return out;
}

// Sizes around the 32-pixel vector width, and one past a megabyte, which is
// split between threads.
const std::vector<std::pair<int, int>> kSizes = {{1, 1}, {31, 3}, {33, 2}, {97, 5}, {1001, 400}};

TEST(ColourEffects, WholePicturesFollowTheFormulas) {
    for (const auto& [w, h] : kSizes) {
        const Bitmap original = PatternBitmap(w, h, static_cast<std::uint32_t>(w));
        for (const FormulaCase& c : FormulaCases()) {
            Bitmap picture = original;
            c.effect(picture);
            EXPECT_TRUE(SamePicture(picture, ByRule(original, c.rule)))
                << c.name << " on " << w << "x" << h;
        }
    }
}

TEST(ColourEffects, FactorZeroIsHarmless) {
    const Bitmap original = PatternBitmap(37, 5);
    const Bitmap black(37, 5);
    const Bitmap grey = ByRule(original, [](Bgr p) {
        const int g = (p[0] + p[1] + p[2]) / 3;
        return Bgr{g, g, g};
    });
    const Bitmap inverted = ByRule(original, [](Bgr p) {
        return (p[0] + p[1] + p[2]) / 3 > 0 ? Bgr{255 - p[0], 255 - p[1], 255 - p[2]} : p;
    });
    const std::vector<std::pair<std::string, std::pair<Effect, const Bitmap*>>> cases = {
        {"posterize", {PosterizeBy(0), &original}},
        {"solarize", {SolarizeBy(0), &inverted}},
        {"keep blue", {With(KeepBlue, 0.0), &black}},
        {"keep green", {With(KeepGreen, 0.0), &black}},
        {"keep red", {With(KeepRed, 0.0), &black}},
        {"darken", {With(Darken, 0), &original}},
        {"lightness", {With(Lightness, 0), &original}},
        {"contrast", {With(Contrast, 0), &original}},
        {"saturation", {With(Saturation, 0), &grey}},
        {"color noise", {With(AddColorNoise, 0), &original}},
        {"mono noise", {With(AddMonoNoise, 0), &original}},
    };
    for (const auto& [name, effectAndResult] : cases) {
        Bitmap picture = original;
        effectAndResult.first(picture);
        EXPECT_TRUE(SamePicture(picture, *effectAndResult.second)) << name;
    }
}

TEST(Noise, FirstDrawsFromSeedZero) {
    // Random(100) from seed 0 gives 0, 3, 86, 20, 27, 67; half(100) = 50.
    SetRandSeed(0);
    Bitmap mono = SolidBitmap(5, 1, 128, 128, 128);
    AddMonoNoise(mono, 100);
    const int monoExpected[] = {78, 81, 164, 98, 105};
    for (int x = 0; x < 5; ++x) {
        const int v = monoExpected[x];
        EXPECT_EQ(PixelAt(mono, x, 0), (Bgr{v, v, v})) << x;
    }
    EXPECT_EQ(RandSeed(), RandSeedAfter(0, 5));

    SetRandSeed(0);
    Bitmap color = SolidBitmap(2, 1, 128, 128, 128);
    AddColorNoise(color, 100);
    EXPECT_EQ(PixelAt(color, 0, 0), (Bgr{78, 81, 164}));
    EXPECT_EQ(PixelAt(color, 1, 0), (Bgr{98, 105, 145}));
    EXPECT_EQ(RandSeed(), RandSeedAfter(0, 6));
}

TEST(Noise, ClampsAtBothEnds) {
    // Random(10) from seed 0 gives 0, 0, 8, 2; half(10) = 5: -5, -5, +3, -3.
    SetRandSeed(0);
    Bitmap picture(4, 1);
    const std::uint8_t row[] = {2, 2, 2, 254, 254, 254, 254, 254, 254, 1, 1, 1};
    picture.WriteRowBgr(0, 0, 4, row);
    AddMonoNoise(picture, 10);
    EXPECT_EQ(PixelAt(picture, 0, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(PixelAt(picture, 1, 0), (Bgr{249, 249, 249}));
    EXPECT_EQ(PixelAt(picture, 2, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(PixelAt(picture, 3, 0), (Bgr{0, 0, 0}));
}

// The noise of a whole picture is the single pass's, draw for draw, however the
// rows are shared out, and the generator ends where that pass leaves it.
TEST(Noise, EqualsDrawingPixelByPixel) {
    for (const auto& [w, h] : kSizes) {
        for (bool mono : {false, true}) {
            for (int amount : {10, 2550}) {
                const Bitmap original = PatternBitmap(w, h, 7);
                const std::uint32_t seed = 0x9E3779B9u + static_cast<std::uint32_t>(w);
                SetRandSeed(seed);
                Bitmap expected = original;
                for (int y = 0; y < h; ++y) {
                    std::uint8_t* p = expected.ScanLine(y);
                    for (int x = 0; x < w; ++x, p += 3) {
                        int n[3];
                        for (int k = 0; k < 3; ++k) {
                            n[k] = mono && k > 0 ? n[0] : Random(amount) - amount / 2;
                        }
                        for (int k = 0; k < 3; ++k) {
                            p[k] = static_cast<std::uint8_t>(Clamp(p[k] + n[k]));
                        }
                    }
                }
                const std::uint32_t seedAfter = RandSeed();

                SetRandSeed(seed);
                Bitmap picture = original;
                (mono ? AddMonoNoise : AddColorNoise)(picture, amount);
                EXPECT_TRUE(SamePicture(picture, expected))
                    << (mono ? "mono " : "color ") << amount << " on " << w << "x" << h;
                EXPECT_EQ(RandSeed(), seedAfter);
            }
        }
    }
}

TEST(Noise, SameSeedSameNoise) {
    const Bitmap original = SolidBitmap(40, 30, 100, 150, 200);
    for (auto noise : {AddMonoNoise, AddColorNoise}) {
        Bitmap first = original;
        Bitmap second = original;
        Bitmap other = original;
        SetRandSeed(1234);
        noise(first, 10);
        SetRandSeed(1234);
        noise(second, 10);
        SetRandSeed(1235);
        noise(other, 10);
        EXPECT_TRUE(SamePicture(first, second));
        EXPECT_FALSE(SamePicture(first, other));
        EXPECT_FALSE(SamePicture(first, original));
    }
}

std::vector<std::pair<std::string, Effect>> EveryEffect() {
    return {
        {"grey", GreyScale},
        {"invert", Invert},
        {"solarize", SolarizeBy(100)},
        {"posterize", PosterizeBy(21)},
        {"keep blue", With(KeepBlue, 1.5)},
        {"keep green", With(KeepGreen, 1.5)},
        {"keep red", With(KeepRed, 1.5)},
        {"darken", With(Darken, 50)},
        {"lightness", With(Lightness, 50)},
        {"contrast", With(Contrast, 50)},
        {"saturation", With(Saturation, 50)},
        {"color noise", With(AddColorNoise, 50)},
        {"mono noise", With(AddMonoNoise, 50)},
    };
}

TEST(ColourEffects, PaletteInputIsConvertedFirst) {
    Bitmap indexed(35, 3, PixelFormat::Bit8);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 35; ++x) {
            indexed.ScanLine(y)[x] = static_cast<std::uint8_t>(x * 7 + y * 50);
        }
    }
    Bitmap converted = indexed;
    converted.To24Bit();
    for (const auto& [name, effect] : EveryEffect()) {
        Bitmap fromIndexed = indexed;
        Bitmap from24 = converted;
        SetRandSeed(99);
        effect(fromIndexed);
        SetRandSeed(99);
        effect(from24);
        EXPECT_TRUE(SamePicture(fromIndexed, from24)) << name;
    }
}

TEST(ColourEffects, RowPaddingIsLeftAlone) {
    for (int w : {1, 2, 3, 5, 35, 67}) {
        for (const auto& [name, effect] : EveryEffect()) {
            Bitmap picture = PatternBitmap(w, 3);
            const std::size_t used = static_cast<std::size_t>(w) * 3;
            for (int y = 0; y < 3; ++y) {
                for (std::size_t i = used; i < static_cast<std::size_t>(picture.Stride()); ++i) {
                    picture.ScanLine(y)[i] = 0xA5;
                }
            }
            // The two-bitmap effects run in place here, so the padding they see is ours.
            if (name == "solarize") {
                Solarize(picture, picture, 100);
            } else if (name == "posterize") {
                Posterize(picture, picture, 21);
            } else {
                effect(picture);
            }
            for (int y = 0; y < 3; ++y) {
                for (std::size_t i = used; i < static_cast<std::size_t>(picture.Stride()); ++i) {
                    ASSERT_EQ(picture.ScanLine(y)[i], 0xA5) << name << " width " << w;
                }
            }
        }
    }
}

TEST(ColourEffects, TwoBitmapEffectsSizeTheDestinationAndKeepTheSource) {
    using TwoBitmap = void (*)(Bitmap&, Bitmap&, int);
    for (TwoBitmap effect : {TwoBitmap{Solarize}, TwoBitmap{Posterize}}) {
        Bitmap source = PatternBitmap(41, 6);
        const Bitmap original = source;
        Bitmap destination(3, 3, PixelFormat::Bit4);
        effect(source, destination, 31);
        EXPECT_TRUE(SamePicture(source, original));
        EXPECT_EQ(destination.Width(), 41);
        EXPECT_EQ(destination.Height(), 6);
        EXPECT_EQ(destination.Format(), PixelFormat::Bit24);

        // The same bitmap as both gives the same picture.
        effect(source, source, 31);
        EXPECT_TRUE(SamePicture(source, destination));
    }
}

TEST(ColourEffects, EmptyPicturesPassThrough) {
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{0, 0}, {0, 4}, {4, 0}}) {
        for (const auto& [name, effect] : EveryEffect()) {
            Bitmap picture(w, h);
            SetRandSeed(5);
            effect(picture);
            EXPECT_EQ(picture.Width(), w) << name;
            EXPECT_EQ(picture.Height(), h) << name;
            EXPECT_EQ(RandSeed(), 5u) << name;
        }
    }
}

} // namespace
} // namespace pixmoth
