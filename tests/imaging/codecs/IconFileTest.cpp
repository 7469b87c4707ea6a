#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BmpTestFiles.h"
#include "TempDir.h"
#include "TestPictures.h"
#include "imaging/bitmap/HalftonePalette.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/IconFile.h"

namespace pixmoth {
namespace {

using test::Bytes;
using test::Field16;
using test::Field32;
using test::PatternBitmap;
using test::SolidBitmap;
using test::TempDir;

// An icon of the converter's kind: a pattern picture, transparent (and black)
// where (x + y) % 3 == 0.
IconBitmaps PatternIcon(int width, int height) {
    IconBitmaps icon{PatternBitmap(width, height), Bitmap(width, height, PixelFormat::Bit1)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if ((x + y) % 3 == 0) {
                icon.mask.SetPixelColor(x, y, PaletteEntry{255, 255, 255, 0});
                icon.color.SetPixelColor(x, y, PaletteEntry{});
            }
        }
    }
    return icon;
}

Bytes Encode(const IconBitmaps& icon, std::uint8_t depth) {
    Bytes file;
    EXPECT_EQ(EncodeIconFile(icon, depth, file), kIconWritten);
    return file;
}

TEST(IconFile, LayoutOfEveryDepth) {
    const struct {
        int side;
        std::uint8_t depth;
        int bits;
        std::size_t fileSize, headerBlock, stride, maskStride;
    } cases[] = {
        {32, kIconDepth8, 8, 2238, 1064, 32, 4},
        {16, kIconDepth1, 1, 198, 48, 4, 4},
        {48, kIconDepth24, 24, 7358, 40, 144, 8},
        {20, kIconDepth4, 4, 22 + 104 + 240 + 80, 104, 12, 4},
        {32, kIconDepth32, 32, 4286, 40, 128, 4},
        {17, 9, 24, 22 + 40 + 17 * 52 + 17 * 4, 40, 52, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.side) + " at depth code " + std::to_string(c.depth));
        const Bytes file = Encode(PatternIcon(c.side, c.side), c.depth);
        ASSERT_EQ(file.size(), c.fileSize);
        EXPECT_EQ(Field16(file, 0), 0);
        EXPECT_EQ(Field16(file, 2), 1);
        EXPECT_EQ(Field16(file, 4), 1);
        EXPECT_EQ(file[6], c.side);
        EXPECT_EQ(file[7], c.side);
        EXPECT_EQ(file[8], c.bits); // bits per pixel, not a colour count
        EXPECT_EQ(file[9], 0);
        EXPECT_EQ(Field16(file, 10), 0);
        EXPECT_EQ(Field16(file, 12), 0);
        EXPECT_EQ(Field32(file, 14), c.fileSize - 22);
        EXPECT_EQ(Field32(file, 18), 22u);
        // The colour image's header: height doubled, image size of the colour rows alone.
        const std::uint32_t colours = c.bits <= 8 ? 1u << c.bits : 0;
        const std::uint32_t expected[] = {40, std::uint32_t(c.side), 2 * std::uint32_t(c.side)};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(Field32(file, 22 + 4 * i), expected[i]);
        }
        EXPECT_EQ(Field16(file, 34), 1);
        EXPECT_EQ(Field16(file, 36), c.bits);
        EXPECT_EQ(Field32(file, 38), 0u);
        EXPECT_EQ(Field32(file, 42), c.stride * c.side);
        EXPECT_EQ(Field32(file, 46), 0u);
        EXPECT_EQ(Field32(file, 50), 0u);
        EXPECT_EQ(Field32(file, 54), colours);
        EXPECT_EQ(Field32(file, 58), colours);
        EXPECT_EQ(22 + c.headerBlock + c.stride * c.side + c.maskStride * c.side, c.fileSize);
    }
}

TEST(IconFile, RowsAreBottomUpWithTheMaskAfterThem) {
    // 2 x 2 at 24 bits: top row red, black (transparent); bottom row green, blue.
    IconBitmaps icon{Bitmap(2, 2), Bitmap(2, 2, PixelFormat::Bit1)};
    icon.color.SetPixelColor(0, 0, PaletteEntry{0, 0, 255, 0});
    icon.color.SetPixelColor(0, 1, PaletteEntry{0, 255, 0, 0});
    icon.color.SetPixelColor(1, 1, PaletteEntry{255, 0, 0, 0});
    icon.mask.SetPixelColor(1, 0, PaletteEntry{255, 255, 255, 0});
    const Bytes file24 = Encode(icon, kIconDepth24);
    const Bytes rows24(file24.begin() + 62, file24.end());
    EXPECT_EQ(rows24, (Bytes{0,    255, 0,   255, 0, 0, 0, 0, // bottom row first, padded to 8
                             0,    0,   255, 0,   0, 0, 0, 0, // top row
                             0,    0,   0,   0,               // mask: bottom row opaque
                             0x40, 0,   0,   0})); // top row: the second pixel transparent
    // At 32 bits the fourth byte is alpha from the mask.
    const Bytes file32 = Encode(icon, kIconDepth32);
    const Bytes rows32(file32.begin() + 62, file32.begin() + 62 + 16);
    EXPECT_EQ(rows32, (Bytes{0, 255, 0, 255, 255, 0, 0, 255, 0, 0, 255, 255, 0, 0, 0, 0}));
}

TEST(IconFile, PaletteDepthsMapToTheNearestFixedColourTiesLow) {
    // One row: pure red, a grey halfway between two greys of the 1-bit table
    // (127.5 is no colour: 127 is nearer black, 128 nearer white), and a
    // colour standing twice in the halftone table (white: entries 223 and 255).
    IconBitmaps icon{Bitmap(3, 1), Bitmap(3, 1, PixelFormat::Bit1)};
    icon.color.SetPixelColor(0, 0, PaletteEntry{0, 0, 255, 0});
    icon.color.SetPixelColor(1, 0, PaletteEntry{127, 127, 127, 0});
    icon.color.SetPixelColor(2, 0, PaletteEntry{255, 255, 255, 0});
    const Bytes one = Encode(icon, kIconDepth1);
    EXPECT_EQ(Field32(one, 62), 0u);          // black
    EXPECT_EQ(Field32(one, 66), 0x00FFFFFFu); // white
    EXPECT_EQ(one[70], 0b00100000);           // red and 127 black, white white
    const Bytes four = Encode(icon, kIconDepth4);
    EXPECT_EQ(four[62 + 64], 0x98); // red is standard colour 9, grey 127 nearest 8 (grey 128)
    EXPECT_EQ(four[62 + 64 + 1] >> 4, 15);
    const Bytes eight = Encode(icon, kIconDepth8);
    const std::size_t pixels = 62 + 1024;
    EXPECT_EQ(eight[pixels], NearestHalftoneIndex(0, 0, 255));
    EXPECT_EQ(HalftonePalette()[eight[pixels]], (PaletteEntry{0, 0, 255, 0}));
    EXPECT_EQ(eight[pixels + 2], 223); // the lower of the two whites
}

TEST(IconFile, ResultCodes) {
    TempDir temp;
    const IconBitmaps good = PatternIcon(16, 16);
    IconBitmaps noMask{PatternBitmap(16, 16), Bitmap()};
    IconBitmaps monochrome{Bitmap(), Bitmap(16, 16, PixelFormat::Bit1)};
    IconBitmaps mismatched{PatternBitmap(16, 15), Bitmap(16, 16, PixelFormat::Bit1)};
    IconBitmaps tooLarge{PatternBitmap(257, 1), Bitmap(257, 1, PixelFormat::Bit1)};
    const struct {
        std::string name;
        const IconBitmaps& icon;
        int result;
        std::string failure;
    } cases[] = {
        {"a.i", good, kIconNameTooShort, "Cannot write file \"a.i\": the name is too short"},
        {temp / "x.ico", noMask, kIconNoBitmaps, "there is no icon to write"},
        {temp / "x.ico", monochrome, kIconNotConverted, "cannot be stored in an icon file"},
        {temp / "x.ico", mismatched, kIconNotConverted, "cannot be stored in an icon file"},
        {temp / "x.ico", tooLarge, kIconNotConverted, "cannot be stored in an icon file"},
        {temp / "no/such/x.ico", good, kIconNotCreated,
         "Cannot write file \"" + temp / "no/such/x.ico" + "\": No such file or directory"},
        {temp / "x.ico", good, kIconWritten, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string failure = "unchanged";
        EXPECT_EQ(WriteIconFile(c.name, c.icon, kIconDepth8, &failure), c.result);
        EXPECT_NE(failure.find(c.failure), std::string::npos) << failure;
        EXPECT_EQ(std::filesystem::exists(c.name), c.result == kIconWritten);
        std::filesystem::remove(c.name);
    }
    EXPECT_TRUE(std::filesystem::is_empty(temp.Path())) << "a temporary file was left behind";
}

TEST(IconFile, CursorNamesGetTheIconBytesAndReplaceOldFiles) {
    TempDir temp;
    const IconBitmaps icon = PatternIcon(24, 24);
    test::WriteTextFile(temp / "old.cur", "an older, longer file than the new one will be......");
    ASSERT_EQ(WriteIconFile(temp / "new.ico", icon, kIconDepth4), kIconWritten);
    ASSERT_EQ(WriteIconFile(temp / "old.cur", icon, kIconDepth4), kIconWritten);
    EXPECT_EQ(ReadFileBytes(temp / "old.cur"), ReadFileBytes(temp / "new.ico"));
    EXPECT_EQ(ReadFileBytes(temp / "new.ico"), Encode(icon, kIconDepth4));
}

TEST(IconFile, GlyphIsAPlainBmpAtTheChosenDepth) {
    TempDir temp;
    const Bitmap picture = SolidBitmap(20, 15, 0, 0, 255);
    const struct {
        std::uint8_t depth;
        PixelFormat format;
    } cases[] = {{kIconDepth1, PixelFormat::Bit1},
                 {kIconDepth4, PixelFormat::Bit4},
                 {kIconDepth8, PixelFormat::Bit8},
                 {kIconDepth24, PixelFormat::Bit24},
                 {kIconDepth32, PixelFormat::Bit32}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.depth));
        SaveGlyph(picture, c.depth, temp / "glyph.bmp");
        const Bitmap loaded = LoadBmp(temp / "glyph.bmp");
        EXPECT_EQ(loaded.Format(), c.format);
        EXPECT_EQ(loaded.Width(), 20);
        EXPECT_EQ(loaded.Height(), 15);
        const PaletteEntry expected =
            c.depth == kIconDepth1 ? PaletteEntry{} : PaletteEntry{0, 0, 255, 0};
        EXPECT_EQ(loaded.PixelColor(19, 14), expected);
    }
}

} // namespace
} // namespace pixmoth
