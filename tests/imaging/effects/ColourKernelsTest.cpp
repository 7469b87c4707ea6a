#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestPictures.h"
#include "imaging/bitmap/Random.h"
#include "imaging/effects/ColourKernels.h"

// Every SIMD kernel this processor runs against the plain loops, byte for byte.
namespace pixmoth::colour {
namespace {

using test::PatternBitmap;

// Pixel i (counting row by row) has colour i mod 2^24. The odd width puts every
// row's tail in a different place relative to the 32-pixel vectors.
Bitmap EveryColour() {
    constexpr int kWidth = 4109;
    constexpr int kHeight = (1 << 24) / kWidth + 1;
    Bitmap bitmap(kWidth, kHeight);
    std::uint32_t colour = 0;
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < kWidth; ++x, p += 3, colour = (colour + 1) & 0xFFFFFFu) {
            p[0] = static_cast<std::uint8_t>(colour);
            p[1] = static_cast<std::uint8_t>(colour >> 8);
            p[2] = static_cast<std::uint8_t>(colour >> 16);
        }
    }
    return bitmap;
}

const Bitmap& EveryColourPicture() {
    static const Bitmap picture = EveryColour();
    return picture;
}

Band BandOf(const Bitmap& source, Bitmap& destination) {
    return {source.Bits(),        destination.Bits(), source.Stride(),
            destination.Stride(), source.Width(),     source.Height()};
}

// The kernel of each SIMD set that differs from the plain one (a set may share
// kernels with another; each distinct kernel is checked once).
template <typename Kernel>
std::vector<Kernel> SimdVersions(Kernel Kernels::*member) {
    std::vector<Kernel> versions;
    for (const Kernels* set : {Avx2Kernels(), Avx512Kernels()}) {
        if (set == nullptr || set->*member == PlainKernels().*member) {
            continue;
        }
        bool seen = false;
        for (Kernel k : versions) {
            seen = seen || k == set->*member;
        }
        if (!seen) {
            versions.push_back(set->*member);
        }
    }
    return versions;
}

// Runs `run` (a kernel applied to a band) with the plain kernel and with each
// SIMD one, out of place, and compares the whole destination, padding included.
template <typename Kernel, typename Run>
void ExpectSameAsPlain(Kernel Kernels::*member, const Bitmap& source, Run run,
                       const std::string& what) {
    const std::vector<Kernel> versions = SimdVersions(member);
    if (versions.empty()) {
        GTEST_SKIP() << "no SIMD version of " << what << " on this processor";
    }
    Bitmap expected(source.Width(), source.Height());
    run(PlainKernels().*member, BandOf(source, expected));
    for (Kernel kernel : versions) {
        Bitmap actual(source.Width(), source.Height());
        run(kernel, BandOf(source, actual));
        ASSERT_EQ(std::memcmp(actual.Bits(), expected.Bits(), expected.ByteSize()), 0) << what;
        // In place too: each pixel is read before it is written.
        Bitmap inPlace = source;
        run(kernel, BandOf(inPlace, inPlace));
        ASSERT_EQ(std::memcmp(inPlace.Bits(), expected.Bits(), expected.ByteSize()), 0)
            << what << " in place";
    }
}

TEST(ColourKernels, GreyOverEveryColour) {
    ExpectSameAsPlain(
        &Kernels::grey, EveryColourPicture(), [](auto kernel, const Band& band) { kernel(band); },
        "grey");
}

TEST(ColourKernels, SolarizeOverEveryColour) {
    for (int threshold : {INT_MIN, -1, 0, 1, 84, 127, 254, 255, INT_MAX}) {
        ExpectSameAsPlain(
            &Kernels::solarize, EveryColourPicture(),
            [threshold](auto kernel, const Band& band) { kernel(band, threshold); },
            "solarize " + std::to_string(threshold));
    }
}

// Amounts around the steps of the vector arithmetic: 255 q + r with q capped
// at 256, the largest amount whose products fit 32 bits, and beyond it.
TEST(ColourKernels, SaturationOverEveryColour) {
    const int amounts[] = {0,     1,       100,     254,     255,     256,  510,      2550,
                           65280, 1000000, 8421504, 8421505, INT_MAX, -255, -8421504, INT_MIN};
    for (int amount : amounts) {
        ExpectSameAsPlain(
            &Kernels::saturation, EveryColourPicture(),
            [amount](auto kernel, const Band& band) { kernel(band, amount); },
            "saturation " + std::to_string(amount));
    }
}

TEST(ColourKernels, ToneOverEveryByte) {
    std::vector<std::pair<std::string, ToneMap>> maps;
    ToneMap identity;
    ToneMap inverse;
    ToneMap scrambled;
    std::uint32_t seed = 17;
    for (int c = 0; c < 256; ++c) {
        identity.level[c] = static_cast<std::uint8_t>(c);
        inverse.level[c] = static_cast<std::uint8_t>(255 - c);
        scrambled.level[c] = static_cast<std::uint8_t>(RandomStep(seed, 256));
    }
    maps.push_back({"identity", identity});
    maps.push_back({"inverse", inverse});
    maps.push_back({"scrambled", scrambled});
    for (int kept = 0; kept < 3; ++kept) {
        ToneMap keep = scrambled;
        for (int k = 0; k < 3; ++k) {
            keep.channelMask[k] = k == kept ? 0xFF : 0x00;
        }
        maps.push_back({"keep channel " + std::to_string(kept), keep});
    }
    for (const auto& [name, map] : maps) {
        ExpectSameAsPlain(
            &Kernels::tone, EveryColourPicture(),
            [&map = map](auto kernel, const Band& band) { kernel(band, map); }, "tone " + name);
    }
}

// Noise does not depend on the colour, so small pictures do; widths around the
// 32-draw blocks of both noises (32 pixels mono, 32 bytes colour).
TEST(ColourKernels, NoiseDrawForDraw) {
    const int amounts[] = {0,     1,     2,       3,           10,      100, 255, 2550,
                           65535, 65536, 1 << 20, INT_MAX - 1, INT_MAX, -1,  -7,  INT_MIN};
    for (int width : {1, 10, 11, 31, 32, 33, 65, 300}) {
        const Bitmap source = PatternBitmap(width, 4, static_cast<std::uint32_t>(width));
        for (int amount : amounts) {
            for (std::uint32_t seed : {0u, 12345u, 0xFFFFFFFFu}) {
                const std::string what = std::to_string(width) + " wide, amount " +
                                         std::to_string(amount) + ", seed " + std::to_string(seed);
                const auto run = [amount, seed](auto kernel, const Band& band) {
                    kernel(band, amount, seed);
                };
                ExpectSameAsPlain(&Kernels::colorNoise, source, run, "color noise " + what);
                ExpectSameAsPlain(&Kernels::monoNoise, source, run, "mono noise " + what);
            }
        }
    }
}

TEST(RandSeedAfter, EqualsSteppingOneByOne) {
    for (std::uint32_t start : {0u, 1u, 0xDEADBEEFu}) {
        std::uint32_t stepped = start;
        std::uint64_t done = 0;
        for (std::uint64_t steps : {0ull, 1ull, 2ull, 31ull, 32ull, 33ull, 1000ull, 123457ull}) {
            for (; done < steps; ++done) {
                RandomStep(stepped, 0);
            }
            EXPECT_EQ(RandSeedAfter(start, steps), stepped) << start << " + " << steps;
        }
        // The generator's period is 2^32.
        EXPECT_EQ(RandSeedAfter(start, std::uint64_t{1} << 32), start);
        EXPECT_EQ(RandSeedAfter(start, (std::uint64_t{1} << 32) + 1000),
                  RandSeedAfter(start, 1000));
    }
}

} // namespace
} // namespace pixmoth::colour
