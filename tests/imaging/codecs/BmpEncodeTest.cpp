#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BmpTestFiles.h"
#include "TempDir.h"
#include "TestPictures.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/BmpCodec.h"

namespace pixmoth {
namespace {

using test::Bmp;
using test::BmpLayout;
using test::Bytes;
using test::Field16;
using test::Field32;
using test::MakeBmp;
using test::PatternBitmap;
using test::SamePicture;

// Same format, palette and stored bytes, padding included.
::testing::AssertionResult SameBits(const Bitmap& a, const Bitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.Format() != b.Format() ||
        a.Palette() != b.Palette()) {
        return ::testing::AssertionFailure() << "size, format or palette differ";
    }
    if (a.ByteSize() != 0 && std::memcmp(a.Bits(), b.Bits(), a.ByteSize()) != 0) {
        return ::testing::AssertionFailure() << "stored bytes differ";
    }
    return ::testing::AssertionSuccess();
}

TEST(BmpEncode, TwentyFourBitFileByteForByte) {
    Bitmap bitmap(1, 2);
    const std::uint8_t top[] = {1, 2, 3};
    const std::uint8_t bottom[] = {4, 5, 6};
    bitmap.WriteRowBgr(0, 0, 1, top);
    bitmap.WriteRowBgr(1, 0, 1, bottom);
    const Bytes expected = {'B',  'M',  62, 0, 0,    0,    0, 0, 0, 0, 54, 0, 0, 0, // file header
                            40,   0,    0,  0, 1,    0,    0, 0, 2, 0, 0,  0, 1, 0,
                            24,   0, // size, width, height, planes, bits
                            0,    0,    0,  0, 8,    0,    0, 0,  // BI_RGB, image bytes
                            0xC4, 0x0E, 0,  0, 0xC4, 0x0E, 0, 0,  // 3780 pixels per metre = 96 dpi
                            0,    0,    0,  0, 0,    0,    0, 0,  // colours used, important
                            4,    5,    6,  0, 1,    2,    3, 0}; // bottom row first, zero padding
    EXPECT_EQ(EncodeBmp(bitmap), expected);
}

TEST(BmpEncode, SixteenBitFileCarriesItsMasks) {
    Bitmap bitmap(1, 1, PixelFormat::Bit16);
    bitmap.ScanLine(0)[1] = 0xF8; // red
    const Bytes file = EncodeBmp(bitmap);
    const Bytes expected = {
        'B',  'M',  70, 0, 0,    0,    0, 0, 0,    0, 66, 0, 0, 0,        // pixels after the masks
        40,   0,    0,  0, 1,    0,    0, 0, 1,    0, 0,  0, 1, 0, 16, 0, //
        3,    0,    0,  0, 4,    0,    0, 0,                              // BI_BITFIELDS
        0xC4, 0x0E, 0,  0, 0xC4, 0x0E, 0, 0, 0,    0, 0,  0, 0, 0, 0,  0,
        0,    0xF8, 0,  0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0,  0, // r5g6b5
        0,    0xF8, 0,  0};
    EXPECT_EQ(file, expected);
}

TEST(BmpEncode, OneBitFileHasItsTableAndNoStrayBits) {
    Bitmap bitmap(9, 1, PixelFormat::Bit1);
    bitmap.ScanLine(0)[0] = 0x80; // pixel 0 white
    bitmap.ScanLine(0)[1] = 0xFF; // pixel 8 white, and junk in the 7 spare bits
    const Bytes expected = {'B',  'M',  66, 0, 0,    0,    0,    0, 0, 0, 62,   0,    0, 0, //
                            40,   0,    0,  0, 9,    0,    0,    0, 1, 0, 0,    0,    1, 0,
                            1,    0,    0,  0, 0,    0,    4,    0, 0, 0, 0xC4, 0x0E, 0, 0,
                            0xC4, 0x0E, 0,  0, 2,    0,    0,    0, 0, 0, 0,    0, // two colours
                            0,    0,    0,  0, 0xFF, 0xFF, 0xFF, 0,                // black, white
                            0x80, 0x80, 0,  0};
    EXPECT_EQ(EncodeBmp(bitmap), expected);
    const test::TempDir dir;
    SaveBmp(bitmap, dir / "glyph.bmp");
    EXPECT_EQ(test::ReadBytes(dir / "glyph.bmp"), expected);
}

TEST(BmpEncode, HeaderFieldsForEveryFormat) {
    struct Case {
        PixelFormat format;
        std::uint16_t bits;
        std::uint32_t compression;
        std::uint32_t offset;
        std::uint32_t colours;
    };
    const std::vector<Case> cases = {
        {PixelFormat::Bit1, 1, 0, 62, 2},     {PixelFormat::Bit4, 4, 0, 118, 16},
        {PixelFormat::Bit8, 8, 0, 1078, 256}, {PixelFormat::Bit15, 16, 0, 54, 0},
        {PixelFormat::Bit16, 16, 3, 66, 0},   {PixelFormat::Bit24, 24, 0, 54, 0},
        {PixelFormat::Bit32, 32, 0, 54, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(BitsPerPixel(c.format));
        const Bitmap bitmap(7, 3, c.format);
        const Bytes file = EncodeBmp(bitmap);
        EXPECT_EQ(Field32(file, 2), file.size());
        EXPECT_EQ(Field32(file, 10), c.offset);
        EXPECT_EQ(Field16(file, 28), c.bits);
        EXPECT_EQ(Field32(file, 30), c.compression);
        EXPECT_EQ(Field32(file, 34), RowBytes(7, c.format) * 3);
        EXPECT_EQ(Field32(file, 46), c.colours);
        EXPECT_EQ(file.size(), c.offset + RowBytes(7, c.format) * 3);
    }
}

TEST(BmpEncode, EveryFormatRoundTripsThroughMemoryAndFiles) {
    const test::TempDir dir;
    struct Case {
        PixelFormat format;
        int width;
        int height;
    };
    // Odd widths leave padding and spare bits; 2100 rows take more than one
    // scattered read or write.
    const std::vector<Case> cases = {
        {PixelFormat::Bit1, 13, 5}, {PixelFormat::Bit4, 7, 4},     {PixelFormat::Bit8, 5, 3},
        {PixelFormat::Bit15, 3, 2}, {PixelFormat::Bit16, 5, 2},    {PixelFormat::Bit24, 7, 3},
        {PixelFormat::Bit32, 2, 3}, {PixelFormat::Bit24, 3, 2100}, {PixelFormat::Bit8, 2, 2100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(BitsPerPixel(c.format)) + " bits, " + std::to_string(c.height) +
                     " rows");
        Bitmap original = PatternBitmap(c.width, c.height);
        original.SetPixelFormat(c.format);
        const Bytes encoded = EncodeBmp(original);
        const Bitmap decoded = DecodeBmp(encoded.data(), encoded.size());
        EXPECT_TRUE(SamePicture(decoded, original));
        EXPECT_TRUE(SameBits(decoded, original));

        const std::string path = dir / "round.bmp";
        SaveBmp(original, path);
        EXPECT_EQ(test::ReadBytes(path), encoded);
        EXPECT_TRUE(SameBits(LoadBmp(path), original));
    }
}

TEST(BmpEncode, TheUnusedByteOfThirtyTwoBitPixelsSurvives) {
    // Files use it for alpha; a load and save must not lose it.
    const Bytes file = MakeBmp(Bmp(32, 2, 1).Pixels({1, 2, 3, 0x80, 4, 5, 6, 7}));
    const Bitmap bitmap = DecodeBmp(file.data(), file.size());
    EXPECT_EQ(bitmap.ScanLine(0)[3], 0x80);
    const Bytes again = EncodeBmp(bitmap);
    EXPECT_TRUE(std::equal(again.end() - 8, again.end(), file.end() - 8));
}

TEST(BmpEncode, LoadingAFileAgreesWithDecodingItsBytes) {
    // Straight-into-the-rows reads and whole-file decoding must give the same bits.
    const std::vector<BmpLayout> specs = {
        Bmp(24, 3, 2).Pixels(Bytes(21, 0xEE)), // last row without padding
        Bmp(8, 3, -2)
            .Table({{1, 2, 3}})
            .Pixels({0, 0, 0, 0xEE, 0, 0, 0, 0xEE, 0xAB}), // top-down, junk after
        Bmp(1, 9, 2).Table({{1, 2, 3}, {4, 5, 6}}).Pixels(Bytes(8, 0xFF)),
        Bmp(2, 5, 1).Table({{1, 2, 3}}).Pixels({0x1B, 0xFF, 0xEE, 0xEE}),
        Bmp(32, 2, 1)
            .Compression(3)
            .Masks({0xFF, 0xFF00, 0xFF0000})
            .Pixels({1, 2, 3, 4, 5, 6, 7, 8}),
        Bmp(8, 2, 1).Compression(1).Table({{1, 2, 3}}).Pixels({2, 0, 0, 1}),
    };
    const test::TempDir dir;
    for (std::size_t i = 0; i < specs.size(); ++i) {
        SCOPED_TRACE(i);
        const Bytes file = MakeBmp(specs[i]);
        const std::string path = test::WriteBytes(dir / "file.bmp", file);
        EXPECT_TRUE(SameBits(LoadBmp(path), DecodeBmp(file.data(), file.size())));
    }
}

TEST(BmpEncode, AnEmptyPictureIsRefusedAndNothingIsWritten) {
    const test::TempDir dir;
    for (const Bitmap& empty : {Bitmap(), Bitmap(0, 5), Bitmap(5, 0)}) {
        EXPECT_THROW(EncodeBmp(empty), Error);
        EXPECT_THROW(SaveBmp(empty, dir / "empty.bmp"), Error);
        EXPECT_TRUE(test::ReadBytes(dir / "empty.bmp").empty());
    }
}

} // namespace
} // namespace pixmoth
