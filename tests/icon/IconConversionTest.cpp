#include <string>

#include <gtest/gtest.h>

#include "TestPictures.h"
#include "icon/IconConversion.h"

namespace pixmoth {
namespace {

using test::SolidBitmap;

constexpr PaletteEntry kWhite{255, 255, 255, 0};
constexpr PaletteEntry kBlack{};

TEST(IconConversion, FitToBox) {
    const struct {
        int width, height;
        bool keepAspect;
        int boxWidth, boxHeight;
        int expectedWidth, expectedHeight;
    } cases[] = {
        {640, 480, true, 32, 32, 32, 24}, // ratio 1333: 32000 div 1333
        {640, 480, true, 144, 142, 144, 108},  {480, 640, true, 32, 32, 24, 32}, // ratio 750
        {100, 100, true, 144, 142, 142, 142}, // square: not wide, height first
        {640, 480, false, 144, 142, 144, 142}, {5000, 1, true, 32, 32, 32, 1}, // would be 0 rows
        {1, 5000, true, 32, 32, 1, 32},                                        // ratio 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const Rect r =
            FitToBox(MeasurePicture(c.width, c.height), c.keepAspect, c.boxWidth, c.boxHeight);
        EXPECT_EQ(r, (Rect{0, 0, c.expectedWidth, c.expectedHeight}));
    }
}

// Which pixels of the icon are transparent, as rows of '.' (opaque) and 'T'.
std::string MaskRows(const IconBitmaps& icon, int x0, int y0, int w, int h) {
    std::string rows;
    for (int y = y0; y < y0 + h; ++y) {
        for (int x = x0; x < x0 + w; ++x) {
            rows += icon.mask.PixelColor(x, y) == kWhite ? 'T' : '.';
        }
        rows += '\n';
    }
    return rows;
}

TEST(IconConversion, PictureSitsTopLeftAndTheRestIsTransparent) {
    const struct {
        int width, height;
        int lastOpaqueX, lastOpaqueY;
    } cases[] = {{640, 480, 31, 23}, {480, 640, 23, 31}, {300, 300, 31, 31}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        Bitmap source = SolidBitmap(c.width, c.height, 40, 80, 120);
        IconSettings settings;
        settings.depth = kIconDepth24;
        settings.transparent = kWhite;
        const ConvertedIcon converted = ConvertToIcon(source, settings);
        EXPECT_EQ(converted.glyph.Width(), c.lastOpaqueX + 1);
        EXPECT_EQ(converted.glyph.Height(), c.lastOpaqueY + 1);
        ASSERT_EQ(converted.icon.color.Width(), 32);
        ASSERT_EQ(converted.icon.mask.Height(), 32);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const bool inside = x <= c.lastOpaqueX && y <= c.lastOpaqueY;
                ASSERT_EQ(converted.icon.mask.PixelColor(x, y), inside ? kBlack : kWhite)
                    << x << "," << y;
                ASSERT_EQ(converted.icon.color.PixelColor(x, y),
                          inside ? (PaletteEntry{40, 80, 120, 0}) : kBlack);
            }
        }
    }
}

TEST(IconConversion, TransparentColourIsComparedAtTheChosenDepth) {
    // Two pixels of different colours that 4 bits both give as red (9), and
    // one that stays blue; the transparent colour is a third shade of red.
    Bitmap scaled(3, 1);
    scaled.SetPixelColor(0, 0, PaletteEntry{0, 0, 250, 0});
    scaled.SetPixelColor(1, 0, PaletteEntry{10, 10, 230, 0});
    scaled.SetPixelColor(2, 0, PaletteEntry{255, 0, 0, 0});
    IconSettings settings;
    settings.size = 3;
    settings.transparent = PaletteEntry{0, 0, 240, 0};
    // Transparent pixels are black in the colour image; opaque ones keep their
    // colour at the depth.
    const struct {
        std::uint8_t depth;
        bool useTransparent;
        const char* mask;
        PaletteEntry first;
    } cases[] = {
        {kIconDepth4, true, "TT.\nTTT\nTTT\n", kBlack}, // both reds match, outside too
        {kIconDepth24, true, "...\nTTT\nTTT\n", PaletteEntry{0, 0, 250, 0}}, // no exact match
        {kIconDepth4, false, "...\n...\n...\n", PaletteEntry{0, 0, 255, 0}}, // all opaque
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        settings.depth = c.depth;
        settings.useTransparent = c.useTransparent;
        const IconBitmaps icon = BuildIcon(scaled, settings);
        EXPECT_EQ(MaskRows(icon, 0, 0, 3, 3), c.mask);
        EXPECT_EQ(icon.color.PixelColor(0, 0), c.first);
        EXPECT_EQ(icon.color.PixelColor(2, 0), (PaletteEntry{255, 0, 0, 0}));
        EXPECT_EQ(icon.color.PixelColor(2, 2), kBlack);
    }
}

} // namespace
} // namespace pixmoth
