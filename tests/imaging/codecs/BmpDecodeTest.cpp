#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BmpTestFiles.h"
#include "TempDir.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/BmpCodec.h"

namespace pixmoth {
namespace {

using test::Bmp;
using test::BmpLayout;
using test::Bytes;
using test::MakeBmp;
using test::PixelsText;

Bitmap Decode(const Bytes& file) {
    return DecodeBmp(file.data(), file.size());
}

std::string DecodeError(const Bytes& file) {
    try {
        Decode(file);
    } catch (const Error& e) {
        return e.what();
    }
    return "(decoded)";
}

PaletteEntry Grey(std::uint8_t v) {
    return PaletteEntry{v, v, v, 0};
}

// Padding bytes and spare bits are filled with junk (0xEE, set bits): none of it
// may show, and the bitmap's own padding must come out zero. The last stored row
// may lack its padding.
TEST(BmpDecode, EveryDepthGivesTheDocumentedFormatAndColours) {
    const Bytes rgb24 = {1, 2, 3, 0xEE, 4, 5, 6, 0xEE};
    struct Case {
        const char* name;
        BmpLayout layout;
        PixelFormat format;
        const char* pixels;
    };
    const std::vector<Case> cases = {
        {"1 bit",
         Bmp(1, 3, 2).Table({{10, 20, 30}, {200, 100, 50}}).Pixels({0xBF, 0xEE, 0xEE, 0xEE, 0x40}),
         PixelFormat::Bit1, "10,20,30 200,100,50 10,20,30 / 200,100,50 10,20,30 200,100,50"},
        {"2 bits widen to 4",
         Bmp(2, 3, 2)
             .Table({{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}})
             .Pixels({0xE7, 0xEE, 0xEE, 0xEE, 0x1C}),
         PixelFormat::Bit4, "0,0,0 255,0,0 0,0,255 / 0,0,255 0,255,0 255,0,0"},
        {"4 bits, indices past a short table are black",
         Bmp(4, 3, 2)
             .Used(2)
             .Table({{1, 2, 3}, {4, 5, 6}})
             .Pixels({0x10, 0xFF, 0xEE, 0xEE, 0x01, 0x10}),
         PixelFormat::Bit4, "1,2,3 4,5,6 4,5,6 / 4,5,6 1,2,3 0,0,0"},
        {"8 bits, short table",
         Bmp(8, 3, 2).Used(3).Table({Grey(1), Grey(2), Grey(3)}).Pixels({2, 1, 0, 0xEE, 0, 255, 1}),
         PixelFormat::Bit8, "1,1,1 0,0,0 2,2,2 / 3,3,3 2,2,2 1,1,1"},
        {"table cut short by the pixel offset",
         Bmp(8, 3, 1).Table({Grey(1), Grey(2)}).Pixels({0, 1, 2}), PixelFormat::Bit8,
         "1,1,1 2,2,2 0,0,0"},
        {"16 bits without fields are x1r5g5b5",
         Bmp(16, 3, 1).Pixels({0xFF, 0x7F, 0x1F, 0x80, 0x43, 0x04, 0xEE, 0xEE}), PixelFormat::Bit15,
         "255,255,255 255,0,0 24,16,8"},
        {"16-bit r5g6b5 fields",
         Bmp(16, 3, 1)
             .Compression(3)
             .Masks({0xF800, 0x07E0, 0x001F})
             .Pixels({0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00}),
         PixelFormat::Bit16, "0,0,255 0,255,0 255,0,0"},
        {"other 16-bit fields are scaled to the nearest 8-bit value",
         // x1b5g5r5; red 3 -> 24.68, green 24 -> 197.42
         Bmp(16, 2, 1)
             .Compression(3)
             .Masks({0x001F, 0x03E0, 0x7C00})
             .Pixels({0x03, 0x7F, 0x00, 0x80}),
         PixelFormat::Bit24, "255,197,25 0,0,0"},
        {"24 bits", Bmp(24, 1, 2).Pixels(rgb24), PixelFormat::Bit24, "4,5,6 / 1,2,3"},
        {"top-down rows", Bmp(24, 1, -2).Pixels(rgb24), PixelFormat::Bit24, "1,2,3 / 4,5,6"},
        {"last row without its padding", Bmp(24, 1, 2).Pixels({1, 2, 3, 0xEE, 4, 5, 6}),
         PixelFormat::Bit24, "4,5,6 / 1,2,3"},
        {"32 bits without fields are x8r8g8b8", Bmp(32, 1, 1).Pixels({1, 2, 3, 0x80}),
         PixelFormat::Bit32, "1,2,3"},
        {"32-bit 10-10-10 fields",
         // green 512 -> 127.62, blue 3 -> 0.75
         Bmp(32, 1, 1)
             .Compression(3)
             .Masks({0x3FF00000, 0x000FFC00, 0x000003FF})
             .Pixels({0x03, 0x00, 0xF8, 0x3F}),
         PixelFormat::Bit24, "1,128,255"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bitmap bitmap = Decode(MakeBmp(c.layout));
        EXPECT_EQ(bitmap.Format(), c.format);
        EXPECT_EQ(PixelsText(bitmap), c.pixels);
        const int bits = c.format == PixelFormat::Bit15 ? 16 : BitsPerPixel(c.format);
        const std::size_t usedBits = static_cast<std::size_t>(bitmap.Width()) * bits;
        for (int y = 0; y < bitmap.Height(); ++y) {
            const std::uint8_t* row = bitmap.ScanLine(y);
            for (std::size_t bit = usedBits; bit < RowBytes(bitmap.Width(), c.format) * 8; ++bit) {
                ASSERT_EQ((row[bit / 8] >> (7 - bit % 8)) & 1, 0) << "row " << y << " bit " << bit;
            }
        }
    }
}

TEST(BmpDecode, EveryHeaderKindReadsTheSamePicture) {
    // OS/2 core (3-byte table entries), OS/2 2.x short and full, Windows V1 to V5.
    for (std::uint32_t headerSize : {12u, 16u, 40u, 52u, 56u, 64u, 108u, 124u}) {
        SCOPED_TRACE(headerSize);
        const BmpLayout layout = Bmp(8, 2, 1)
                                     .Header(headerSize)
                                     .Used(2)
                                     .Table({{10, 20, 30}, {40, 50, 60}})
                                     .Pixels({1, 0, 0xEE, 0xEE});
        const Bitmap bitmap = Decode(MakeBmp(layout));
        EXPECT_EQ(bitmap.Format(), PixelFormat::Bit8);
        EXPECT_EQ(PixelsText(bitmap), "40,50,60 10,20,30");
    }
}

TEST(BmpDecode, BitFieldsAreFoundAfterOrInsideTheHeader) {
    // An alpha mask (V3 and later, BI_ALPHABITFIELDS = 6) is read past and ignored.
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> kinds = {
        {40, 3}, {40, 6}, {52, 3}, {56, 3}, {108, 3}, {124, 3}};
    for (const auto& [headerSize, compression] : kinds) {
        SCOPED_TRACE(headerSize);
        const Bitmap bitmap = Decode(MakeBmp(Bmp(16, 1, 1)
                                                 .Header(headerSize)
                                                 .Compression(compression)
                                                 .Masks({0xF800, 0x07E0, 0x001F, 0})
                                                 .Pixels({0x00, 0xF8, 0, 0})));
        EXPECT_EQ(bitmap.Format(), PixelFormat::Bit16);
        EXPECT_EQ(PixelsText(bitmap), "0,0,255");
    }
}

// Table entry i is blue i, except entry 0, which no code below uses: pixels the
// codes leave unset must come out black, not entry 0's grey.
BmpLayout Rle(int bits, std::int32_t width, std::int32_t height, Bytes codes) {
    return Bmp(bits, width, height)
        .Compression(bits == 8 ? 1 : 2)
        .Table({Grey(9), {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}})
        .Pixels(codes);
}

TEST(BmpDecode, RleRunsAbsoluteRunsDeltasAndEnds) {
    const std::vector<std::pair<BmpLayout, const char*>> cases = {
        // runs, padded absolute run, delta up, run clipped at the edge, end of bitmap
        {Rle(8, 4, 3, {3, 1, 1, 2, 0, 0, 0, 3, 2, 3, 1, 0, 0, 2, 0, 1, 5, 4, 0, 1}),
         "0,0,0 0,0,0 0,0,0 4,0,0 / 2,0,0 3,0,0 1,0,0 0,0,0 / 1,0,0 1,0,0 1,0,0 2,0,0"},
        // RLE4: alternating nibbles, padded absolute run clipped at the edge
        {Rle(4, 4, 2, {4, 0x12, 0, 0, 0, 5, 0x31, 0x23, 0x10, 0, 0, 1}),
         "3,0,0 1,0,0 2,0,0 3,0,0 / 1,0,0 2,0,0 1,0,0 2,0,0"},
        // RLE24 in an OS/2 2.x header
        {Bmp(24, 2, 2).Header(64).Compression(4).Pixels(
             {2, 10, 20, 30, 0, 0, 0, 3, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 1}),
         "1,2,3 4,5,6 / 10,20,30 10,20,30"},
        // no end of bitmap once the last row is full
        {Rle(8, 2, 1, {2, 1}), "1,0,0 1,0,0"},
        // codes past the top row are ignored
        {Rle(8, 1, 1, {1, 1, 0, 0, 1, 2, 0, 2, 9, 9}), "1,0,0"},
        // a delta past the top row ends the picture
        {Rle(8, 2, 2, {1, 2, 0, 2, 0, 5, 2, 1}), "0,0,0 0,0,0 / 2,0,0 0,0,0"},
    };
    for (const auto& [layout, pixels] : cases) {
        const Bitmap bitmap = Decode(MakeBmp(layout));
        EXPECT_EQ(bitmap.Format(), PixelFormat::Bit24);
        EXPECT_EQ(PixelsText(bitmap), pixels);
    }
}

TEST(BmpDecode, RleDataThatEndsBeforeThePictureIsTruncated) {
    const std::vector<Bytes> streams = {
        {2, 1, 0, 0, 1, 1}, // second row half done
        {0, 4, 1, 2},       // inside an absolute run
        {0, 2, 1},          // inside a delta
        {2, 1, 0},          // half a code after the first row
        {},                 // no codes at all
    };
    for (const Bytes& stream : streams) {
        EXPECT_EQ(DecodeError(MakeBmp(Rle(8, 2, 2, stream))), "The data is truncated");
    }
}

TEST(BmpDecode, BadFilesAreRefusedWithAClearMessage) {
    const BmpLayout one = Bmp(24, 1, 1).Pixels({1, 2, 3, 0});
    Bytes cut = MakeBmp(one);
    cut.resize(30);
    Bytes wrongMagic = MakeBmp(one);
    wrongMagic[1] = 'A';
    const BmpLayout rgb565 = Bmp(16, 1, 1).Compression(3).Pixels({0, 0, 0, 0});
    const std::vector<std::pair<Bytes, const char*>> cases = {
        {{}, "is not a BMP file"},
        {wrongMagic, "is not a BMP file"},
        {cut, "is truncated"},
        {MakeBmp(one.Header(66)), "has an unknown header size of 66 bytes"},
        {MakeBmp(Bmp(24, 0, 1)), "claims a picture of 0 x 1 pixels"},
        {MakeBmp(Bmp(24, -5, 1)), "claims a picture of -5 x 1 pixels"},
        {MakeBmp(Bmp(24, 1, INT_MIN)), "claims a picture of 1 x -2147483648 pixels"},
        {MakeBmp(Bmp(24, 20000, 20000)), "claims a picture of 20000 x 20000 pixels"},
        {MakeBmp(Bmp(24, 2, 2).Pixels({1, 2, 3})), "is truncated"},
        {MakeBmp(Bmp(3, 1, 1).Pixels({0, 0, 0, 0})), "has an unsupported bit count of 3"},
        {MakeBmp(one.Compression(7)), "uses unsupported compression 7"},
        {MakeBmp(Rle(8, 1, 1, {0, 1}).Compression(2)),
         "uses RLE4 compression with 8 bits per pixel"},
        {MakeBmp(one.Compression(3).Masks({1, 2, 4})), "uses bit fields with 24 bits per pixel"},
        {MakeBmp(rgb565.Masks({0xF801, 0x07E0, 0x001F})),
         "has an invalid bit field mask 0xF801 for 16-bit pixels"},
        {MakeBmp(rgb565.Masks({0x1F0000, 0x07E0, 0x001F})),
         "has an invalid bit field mask 0x1F0000 for 16-bit pixels"},
        {MakeBmp(rgb565.Masks({0, 0, 0})), "has bit fields without any colour bits"},
        {MakeBmp(one.Offset(20)), "has its pixel data at offset 20, inside its headers"},
        {MakeBmp(rgb565.Compression(6).Masks({0xF800, 0x07E0, 0x001F, 0}).Offset(66)),
         "has its pixel data at offset 66, inside its headers"},
        {MakeBmp(one.Offset(1000)), "has its pixel data at offset 1000, beyond its end (58 bytes)"},
        {MakeBmp(Bmp(8, 1, 1).Pixels({0, 0, 0, 0})), "has no colour table"},
        {MakeBmp(Rle(8, 1, -1, {0, 1})),
         "uses RLE compression with top-down rows, which BMP does not allow"},
        {MakeBmp(Rle(8, 10000, 10000, {0, 1})),
         "claims a picture of 10000 x 10000 pixels in only 2 bytes of RLE data"},
    };
    for (const auto& [file, message] : cases) {
        EXPECT_EQ(DecodeError(file), std::string("The data ") + message);
    }
}

TEST(BmpDecode, LoadNamesTheFileInItsErrors) {
    const test::TempDir dir;
    Bytes file = MakeBmp(Bmp(24, 2, 2).Pixels(Bytes(16)));
    file.resize(file.size() - 8);
    const std::string uncompressed = test::WriteBytes(dir / "cut.bmp", file);
    const std::string rle = test::WriteBytes(dir / "cut-rle.bmp", MakeBmp(Rle(8, 2, 2, {2, 1})));
    for (const std::string& path : {uncompressed, rle}) {
        try {
            LoadBmp(path);
            ADD_FAILURE() << path << " loaded";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "File \"" + path + "\" is truncated");
        }
    }
    EXPECT_THROW(LoadBmp(dir / "missing.bmp"), Error);
    EXPECT_THROW(LoadBmp(dir.Path()), Error); // the folder itself
}

} // namespace
} // namespace pixmoth
