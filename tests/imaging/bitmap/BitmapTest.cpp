#include <array>
#include <cstring>

#include <gtest/gtest.h>

#include "TestPictures.h"
#include "imaging/bitmap/Bitmap.h"
#include "imaging/bitmap/Error.h"
#include "imaging/bitmap/HalftonePalette.h"
#include "imaging/bitmap/Random.h"

namespace pixmoth {
namespace {

using test::PatternBitmap;
using test::SamePicture;

TEST(Bitmap, ScanLineOutsideTheRowsFailsWithTheProgramsMessage) {
    Bitmap bitmap(4, 3);
    for (int y : {-1, 3, 1000}) {
        try {
            bitmap.ScanLine(y);
            FAIL() << "row " << y << " was accepted";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Scan line index out of range");
        }
    }
    EXPECT_NO_THROW(bitmap.ScanLine(0));
    EXPECT_NO_THROW(bitmap.ScanLine(2));
}

TEST(Bitmap, RowsArePaddedToFourBytes) {
    struct Case {
        int width;
        PixelFormat format;
        std::ptrdiff_t stride;
    };
    const std::array<Case, 9> cases = {{{1, PixelFormat::Bit24, 4},
                                        {2, PixelFormat::Bit24, 8},
                                        {4, PixelFormat::Bit24, 12},
                                        {5, PixelFormat::Bit24, 16},
                                        {33, PixelFormat::Bit1, 8},
                                        {9, PixelFormat::Bit4, 8},
                                        {5, PixelFormat::Bit8, 8},
                                        {3, PixelFormat::Bit15, 8},
                                        {3, PixelFormat::Bit32, 12}}};
    for (const Case& c : cases) {
        Bitmap bitmap(c.width, 2, c.format);
        EXPECT_EQ(bitmap.Stride(), c.stride) << "width " << c.width;
        EXPECT_EQ(bitmap.ScanLine(1) - bitmap.ScanLine(0), c.stride);
    }
}

TEST(Bitmap, NewPixelsAndPaddingAreZero) {
    Bitmap bitmap(5, 3);
    for (int y = 0; y < 3; ++y) {
        for (int i = 0; i < bitmap.Stride(); ++i) {
            EXPECT_EQ(bitmap.ScanLine(y)[i], 0);
        }
    }
    // Reset promises zero padding even when it reuses dirty memory.
    Bitmap dirty = PatternBitmap(64, 64);
    std::memset(dirty.Bits(), 0xAB, dirty.ByteSize());
    dirty.Reset(5, 40, PixelFormat::Bit24);
    for (int y = 0; y < 40; ++y) {
        for (int i = 15; i < 16; ++i) {
            EXPECT_EQ(dirty.ScanLine(y)[i], 0) << "row " << y;
        }
    }
}

TEST(Bitmap, AssignIsADeepCopy) {
    Bitmap a = PatternBitmap(7, 5);
    Bitmap b;
    b.Assign(a);
    EXPECT_TRUE(SamePicture(a, b));
    b.ScanLine(2)[4] ^= 0xFF;
    EXPECT_FALSE(SamePicture(a, b));
}

TEST(Bitmap, ResizingKeepsTheTopLeftPixelsAndBlackensNewOnes) {
    const Bitmap original = PatternBitmap(6, 4);
    Bitmap bitmap = original;
    bitmap.SetHeight(6);
    bitmap.SetWidth(3);
    ASSERT_EQ(bitmap.Width(), 3);
    ASSERT_EQ(bitmap.Height(), 6);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 3; ++x) {
            const PaletteEntry expected = y < 4 ? original.PixelColor(x, y) : PaletteEntry{};
            EXPECT_EQ(bitmap.PixelColor(x, y), expected) << x << "," << y;
        }
    }
    // A side of 0 keeps the other side, as setting height then width relies on.
    Bitmap empty;
    empty.SetHeight(5);
    empty.SetWidth(2);
    EXPECT_EQ(empty.Width(), 2);
    EXPECT_EQ(empty.Height(), 5);
}

TEST(Bitmap, TwentyFourBitConversionKeepsTheAppearanceOfEveryFormat) {
    // 8 bits: palette colours come out as they are.
    Bitmap indexed(3, 1, PixelFormat::Bit8);
    std::vector<PaletteEntry> palette(256);
    palette[7] = {10, 20, 30, 0};
    palette[200] = {200, 100, 50, 0};
    indexed.SetPalette(palette);
    indexed.ScanLine(0)[0] = 7;
    indexed.ScanLine(0)[1] = 200;
    indexed.ScanLine(0)[2] = 0;
    indexed.To24Bit();
    EXPECT_EQ(indexed.Format(), PixelFormat::Bit24);
    EXPECT_EQ(test::PixelText(indexed, 0, 0), "10,20,30");
    EXPECT_EQ(test::PixelText(indexed, 1, 0), "200,100,50");
    EXPECT_EQ(test::PixelText(indexed, 2, 0), "0,0,0");

    // 1 and 4 bits: indices packed high bits first.
    Bitmap mono(10, 1, PixelFormat::Bit1);
    mono.ScanLine(0)[0] = 0b10100000;
    mono.ScanLine(0)[1] = 0b01000000;
    mono.To24Bit();
    const std::array<int, 10> monoWhite = {1, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(mono.ScanLine(0)[3 * x], monoWhite[x] ? 255 : 0) << x;
    }
    Bitmap nibbles(3, 1, PixelFormat::Bit4);
    nibbles.ScanLine(0)[0] = 0x9C; // red, blue
    nibbles.ScanLine(0)[1] = 0xF0; // white
    nibbles.To24Bit();
    EXPECT_EQ(test::PixelText(nibbles, 0, 0), "0,0,255");
    EXPECT_EQ(test::PixelText(nibbles, 1, 0), "255,0,0");
    EXPECT_EQ(test::PixelText(nibbles, 2, 0), "255,255,255");

    // 15 and 16 bits: five or six bits widened so that full scale stays 255.
    Bitmap words15(2, 1, PixelFormat::Bit15);
    words15.ScanLine(0)[0] = 0xFF;
    words15.ScanLine(0)[1] = 0x7F; // white
    words15.ScanLine(0)[2] = 0x10;
    words15.ScanLine(0)[3] = 0x00; // blue 16 of 31
    words15.To24Bit();
    EXPECT_EQ(test::PixelText(words15, 0, 0), "255,255,255");
    EXPECT_EQ(test::PixelText(words15, 1, 0), "132,0,0");
    Bitmap words16(1, 1, PixelFormat::Bit16);
    words16.ScanLine(0)[0] = 0xE0;
    words16.ScanLine(0)[1] = 0x07; // green 63 of 63
    words16.To24Bit();
    EXPECT_EQ(test::PixelText(words16, 0, 0), "0,255,0");

    // 32 bits: the fourth byte is dropped.
    Bitmap quads(1, 1, PixelFormat::Bit32);
    std::memcpy(quads.ScanLine(0), "\x01\x02\x03\x04", 4);
    quads.To24Bit();
    EXPECT_EQ(test::PixelText(quads, 0, 0), "1,2,3");
}

TEST(Bitmap, ConversionRoundTripsThroughWiderFormats) {
    const Bitmap original = PatternBitmap(13, 7);
    Bitmap wide = original;
    wide.SetPixelFormat(PixelFormat::Bit32);
    wide.To24Bit();
    EXPECT_TRUE(SamePicture(original, wide));
}

TEST(HalftonePalette, IsFixed) {
    const auto& palette = HalftonePalette();
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[1], (PaletteEntry{0, 0, 128, 0}));     // maroon
    EXPECT_EQ(palette[7], (PaletteEntry{192, 192, 192, 0})); // silver
    EXPECT_EQ(palette[8], (PaletteEntry{0, 0, 0, 0}));       // cube origin
    EXPECT_EQ(palette[8 + 36 * 5 + 6 * 2 + 1], (PaletteEntry{51, 102, 255, 0}));
    EXPECT_EQ(palette[223], (PaletteEntry{255, 255, 255, 0})); // cube end
    EXPECT_EQ(palette[224], (PaletteEntry{10, 10, 10, 0}));    // first grey
    EXPECT_EQ(palette[247], (PaletteEntry{245, 245, 245, 0})); // last grey
    EXPECT_EQ(palette[248], (PaletteEntry{128, 128, 128, 0}));
    EXPECT_EQ(palette[255], (PaletteEntry{255, 255, 255, 0}));
}

TEST(HalftonePalette, FastNearestAgreesWithTheExhaustiveSearch) {
    const auto& palette = HalftonePalette();
    for (int r = 0; r < 256; r += 3) {
        for (int g = 0; g < 256; g += 5) {
            for (int b = 0; b < 256; b += 7) {
                const auto bb = static_cast<std::uint8_t>(b);
                const auto gg = static_cast<std::uint8_t>(g);
                const auto rr = static_cast<std::uint8_t>(r);
                ASSERT_EQ(NearestHalftoneIndex(bb, gg, rr),
                          NearestPaletteIndex(palette, bb, gg, rr))
                    << r << "," << g << "," << b;
            }
        }
    }
}

TEST(HalftonePalette, FastNearestAgreesEverywhereInABlockAcrossManyCells) {
    // Every colour of a block spanning cells, cube levels 102 and 153 and the
    // greys and standard grey around 128, where ties between entries are common.
    const auto& palette = HalftonePalette();
    for (int r = 100; r < 160; ++r) {
        for (int g = 100; g < 160; ++g) {
            for (int b = 100; b < 160; ++b) {
                const auto bb = static_cast<std::uint8_t>(b);
                const auto gg = static_cast<std::uint8_t>(g);
                const auto rr = static_cast<std::uint8_t>(r);
                ASSERT_EQ(NearestHalftoneIndex(bb, gg, rr),
                          NearestPaletteIndex(palette, bb, gg, rr))
                    << r << "," << g << "," << b;
            }
        }
    }
}

TEST(HalftonePalette, EightBitConversionMapsToTheNearestColour) {
    Bitmap bitmap(4, 1);
    const std::uint8_t pixels[] = {0,       0,   128, /**/ 12,  9,   11,
                                   /**/ 52, 100, 250, /**/ 129, 128, 127};
    bitmap.WriteRowBgr(0, 0, 4, pixels);
    bitmap.SetPixelFormat(PixelFormat::Bit8);
    const std::uint8_t* row = bitmap.ScanLine(0);
    EXPECT_EQ(row[0], 1);                      // exactly maroon
    EXPECT_EQ(row[1], 224);                    // grey 10
    EXPECT_EQ(row[2], 8 + 36 * 5 + 6 * 2 + 1); // cube (255, 102, 51)
    EXPECT_EQ(row[3], 248);                    // grey 128 beats the cube and the ramp
    bitmap.To24Bit();
    EXPECT_EQ(test::PixelText(bitmap, 0, 0), "0,0,128");
}

TEST(Bitmap, DrawClipsAndConvertsTheSource) {
    Bitmap target(4, 4);
    const Bitmap source = PatternBitmap(3, 3);
    target.Draw(-1, 2, source);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const bool inside = y >= 2 && x <= 1;
            const PaletteEntry expected = inside ? source.PixelColor(x + 1, y - 2) : PaletteEntry{};
            EXPECT_EQ(target.PixelColor(x, y), expected) << x << "," << y;
        }
    }
    Bitmap indexed(2, 1, PixelFormat::Bit8);
    Bitmap red = test::SolidBitmap(1, 1, 0, 0, 255);
    indexed.Draw(1, 0, red);
    EXPECT_EQ(indexed.ScanLine(0)[1], NearestHalftoneIndex(0, 0, 255));
}

TEST(Bitmap, StretchDrawSamplesThePixelUnderEachCentre) {
    Bitmap source(4, 1);
    const std::uint8_t columns[] = {10, 0, 0, 20, 0, 0, 30, 0, 0, 40, 0, 0};
    source.WriteRowBgr(0, 0, 4, columns);

    Bitmap shrunk(2, 1);
    shrunk.StretchDraw({0, 0, 2, 1}, source);
    EXPECT_EQ(shrunk.ScanLine(0)[0], 20);
    EXPECT_EQ(shrunk.ScanLine(0)[3], 40);

    Bitmap grown(8, 1);
    grown.StretchDraw({0, 0, 8, 1}, source);
    const std::array<int, 8> expected = {10, 10, 20, 20, 30, 30, 40, 40};
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(grown.ScanLine(0)[3 * x], expected[x]) << x;
    }

    Bitmap thirds(3, 1);
    thirds.StretchDraw({0, 0, 3, 1}, source); // centres at 2/3, 2, 10/3 of the source
    EXPECT_EQ(thirds.ScanLine(0)[0], 10);
    EXPECT_EQ(thirds.ScanLine(0)[3], 30);
    EXPECT_EQ(thirds.ScanLine(0)[6], 40);

    Bitmap mirrored(4, 1);
    mirrored.StretchDraw({4, 0, 0, 1}, source);
    EXPECT_EQ(mirrored.ScanLine(0)[0], 40);
    EXPECT_EQ(mirrored.ScanLine(0)[9], 10);

    Bitmap clipped(3, 1);
    clipped.StretchDraw({-2, 0, 6, 1}, source); // 8 wide, two columns off each side
    EXPECT_EQ(clipped.ScanLine(0)[0], 20);
    EXPECT_EQ(clipped.ScanLine(0)[3], 20);
    EXPECT_EQ(clipped.ScanLine(0)[6], 30);
}

TEST(Random, FollowsTheSharedGeneratorFromSeedZero) {
    SetRandSeed(0);
    const std::array<int, 12> expected = {0, 3, 86, 20, 27, 67, 31, 16, 37, 42, 8, 47};
    for (int value : expected) {
        EXPECT_EQ(Random(100), value);
    }
    SetRandSeed(0);
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(RandSeed(), 1u); // Random(0) still advances
    SetRandSeed(0xFFFFFFFFu);
    EXPECT_EQ(Random(1000), 968); // wraps modulo 2^32: the seed becomes 0xF7F77BFC
    EXPECT_EQ(RandSeed(), 0xFFFFFFFFu * 134775813u + 1u);
}

} // namespace
} // namespace pixmoth
