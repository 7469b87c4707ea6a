#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BmpTestFiles.h"
#include "imaging/BmpCodec.h"
#include "imaging/Error.h"

namespace pixmoth {
namespace {

using test::BmpSpec;
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

// Padding bytes and spare bits are filled with junk (0xEE, set bits) throughout:
// none of it may show, and the bitmap's own padding must come out zero.
TEST(BmpDecode, EveryDepthGivesTheDocumentedFormatAndColours) {
    struct Case {
        const char* name;
        BmpSpec spec;
        PixelFormat format;
        const char* pixels;
    };
    const std::vector<Case> cases = {
        {"1 bit",
         {.width = 3,
          .height = 2,
          .bitCount = 1,
          .palette = {{10, 20, 30, 0}, {200, 100, 50, 0}},
          .pixels = {0xBF, 0xEE, 0xEE, 0xEE, 0x40, 0xEE, 0xEE, 0xEE}},
         PixelFormat::Bit1,
         "10,20,30 200,100,50 10,20,30 / 200,100,50 10,20,30 200,100,50"},
        {"2 bits widen to 4",
         {.width = 3,
          .height = 2,
          .bitCount = 2,
          .palette = {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}},
          .pixels = {0xE7, 0xEE, 0xEE, 0xEE, 0x1C, 0xEE, 0xEE, 0xEE}},
         PixelFormat::Bit4,
         "0,0,0 255,0,0 0,0,255 / 0,0,255 0,255,0 255,0,0"},
        {"4 bits, indices past a short table are black",
         {.width = 3,
          .height = 2,
          .bitCount = 4,
          .colorsUsed = 2,
          .palette = {{1, 2, 3, 0}, {4, 5, 6, 0}},
          .pixels = {0x10, 0xFF, 0xEE, 0xEE, 0x01, 0x10, 0xEE, 0xEE}},
         PixelFormat::Bit4,
         "1,2,3 4,5,6 4,5,6 / 4,5,6 1,2,3 0,0,0"},
        {"8 bits, short table",
         {.width = 3,
          .height = 2,
          .bitCount = 8,
          .colorsUsed = 3,
          .palette = {Grey(1), Grey(2), Grey(3)},
          .pixels = {2, 1, 0, 0xEE, 0, 255, 1, 0xEE}},
         PixelFormat::Bit8,
         "1,1,1 0,0,0 2,2,2 / 3,3,3 2,2,2 1,1,1"},
        {"table longer than the depth: its first entries count",
         {.width = 2,
          .height = 1,
          .bitCount = 1,
          .colorsUsed = 5,
          .palette = {Grey(1), Grey(2), Grey(3), Grey(4), Grey(5)},
          .pixels = {0x40, 0, 0, 0}},
         PixelFormat::Bit1,
         "1,1,1 2,2,2"},
        {"table cut short by the pixel offset",
         {.width = 3,
          .height = 1,
          .bitCount = 8,
          .palette = {Grey(1), Grey(2)},
          .pixels = {0, 1, 2, 0}},
         PixelFormat::Bit8,
         "1,1,1 2,2,2 0,0,0"},
        {"16 bits without fields are x1r5g5b5",
         {.width = 3,
          .height = 1,
          .bitCount = 16,
          .pixels = {0xFF, 0x7F, 0x1F, 0x80, 0x43, 0x04, 0xEE, 0xEE}},
         PixelFormat::Bit15,
         "255,255,255 255,0,0 24,16,8"},
        {"16-bit r5g6b5 fields",
         {.width = 3,
          .height = 1,
          .bitCount = 16,
          .compression = 3,
          .masks = {0xF800, 0x07E0, 0x001F},
          .pixels = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xEE, 0xEE}},
         PixelFormat::Bit16,
         "0,0,255 0,255,0 255,0,0"},
        {"other 16-bit fields are scaled to the nearest 8-bit value",
         // x1b5g5r5; red 3 -> 24.68, green 24 -> 197.42
         {.width = 2,
          .height = 1,
          .bitCount = 16,
          .compression = 3,
          .masks = {0x001F, 0x03E0, 0x7C00},
          .pixels = {0x03, 0x7F, 0x00, 0x80}},
         PixelFormat::Bit24,
         "255,197,25 0,0,0"},
        {"24 bits",
         {.width = 1, .height = 2, .pixels = {1, 2, 3, 0xEE, 4, 5, 6, 0xEE}},
         PixelFormat::Bit24,
         "4,5,6 / 1,2,3"},
        {"top-down rows",
         {.width = 1, .height = -2, .pixels = {1, 2, 3, 0xEE, 4, 5, 6, 0xEE}},
         PixelFormat::Bit24,
         "1,2,3 / 4,5,6"},
        {"last row without its padding",
         {.width = 1, .height = 2, .pixels = {1, 2, 3, 0xEE, 4, 5, 6}},
         PixelFormat::Bit24,
         "4,5,6 / 1,2,3"},
        {"32 bits without fields are x8r8g8b8",
         {.width = 1, .height = 1, .bitCount = 32, .pixels = {1, 2, 3, 0x80}},
         PixelFormat::Bit32,
         "1,2,3"},
        {"32-bit 10-10-10 fields",
         // green 512 -> 127.62, blue 3 -> 0.75
         {.width = 1,
          .height = 1,
          .bitCount = 32,
          .compression = 3,
          .masks = {0x3FF00000, 0x000FFC00, 0x000003FF},
          .pixels = {0x03, 0x00, 0xF8, 0x3F}},
         PixelFormat::Bit24,
         "1,128,255"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bitmap bitmap = Decode(MakeBmp(c.spec));
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

TEST(BmpDecode, KeepsTheFilesColourTableWithReservedBytesCleared) {
    const Bitmap bitmap = Decode(MakeBmp({.width = 1,
                                          .bitCount = 4,
                                          .colorsUsed = 2,
                                          .palette = {{1, 2, 3, 0}, {4, 5, 6, 0}},
                                          .pixels = {0x10, 0, 0, 0}}));
    ASSERT_EQ(bitmap.Palette().size(), 16u);
    EXPECT_EQ(bitmap.Palette()[1], (PaletteEntry{4, 5, 6, 0}));
    EXPECT_EQ(bitmap.Palette()[2], (PaletteEntry{0, 0, 0, 0}));
}

TEST(BmpDecode, EveryHeaderKindReadsTheSamePicture) {
    // OS/2 core (3-byte table entries), OS/2 2.x short and full, Windows V1 to V5.
    for (std::uint32_t headerSize : {12u, 16u, 40u, 52u, 56u, 64u, 108u, 124u}) {
        SCOPED_TRACE(headerSize);
        const BmpSpec spec{.headerSize = headerSize,
                           .width = 2,
                           .height = 1,
                           .bitCount = 8,
                           .colorsUsed = 2,
                           .palette = {{10, 20, 30, 0}, {40, 50, 60, 0}},
                           .pixels = {1, 0, 0xEE, 0xEE}};
        const Bitmap bitmap = Decode(MakeBmp(spec));
        EXPECT_EQ(bitmap.Format(), PixelFormat::Bit8);
        EXPECT_EQ(PixelsText(bitmap), "40,50,60 10,20,30");
    }
}

TEST(BmpDecode, BitFieldsAreFoundAfterOrInsideTheHeader) {
    struct Case {
        std::uint32_t headerSize;
        std::uint32_t compression;
        std::vector<std::uint32_t> masks;
    };
    // An alpha mask (V3 and later, BI_ALPHABITFIELDS) is read past and ignored.
    const std::vector<Case> cases = {
        {40, 3, {0xF800, 0x07E0, 0x001F}},     {40, 6, {0xF800, 0x07E0, 0x001F, 0}},
        {52, 3, {0xF800, 0x07E0, 0x001F}},     {56, 3, {0xF800, 0x07E0, 0x001F, 0}},
        {108, 3, {0xF800, 0x07E0, 0x001F, 0}}, {124, 3, {0xF800, 0x07E0, 0x001F, 0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headerSize);
        const Bitmap bitmap = Decode(MakeBmp({.headerSize = c.headerSize,
                                              .bitCount = 16,
                                              .compression = c.compression,
                                              .masks = c.masks,
                                              .pixels = {0x00, 0xF8, 0, 0}}));
        EXPECT_EQ(bitmap.Format(), PixelFormat::Bit16);
        EXPECT_EQ(PixelsText(bitmap), "0,0,255");
    }
}

// Table entry i is blue i, except entry 0, which no code below uses: pixels the
// codes leave unset must come out black, not entry 0's grey.
std::vector<PaletteEntry> RleTable() {
    return {Grey(9), {1, 0, 0, 0}, {2, 0, 0, 0}, {3, 0, 0, 0}, {4, 0, 0, 0}};
}

TEST(BmpDecode, RleRunsAbsoluteRunsDeltasAndEnds) {
    struct Case {
        const char* name;
        BmpSpec spec;
        const char* pixels;
    };
    const std::vector<Case> cases = {
        {"RLE8: runs, padded absolute run, delta up, clipped run, end of bitmap",
         {.width = 4,
          .height = 3,
          .bitCount = 8,
          .compression = 1,
          .colorsUsed = 5,
          .palette = RleTable(),
          .pixels = {3, 1, 1, 2, 0, 0, 0, 3, 2, 3, 1, 0, 0, 2, 0, 1, 5, 4, 0, 1}},
         "0,0,0 0,0,0 0,0,0 4,0,0 / 2,0,0 3,0,0 1,0,0 0,0,0 / 1,0,0 1,0,0 1,0,0 2,0,0"},
        {"RLE4: alternating nibbles, padded absolute run clipped at the edge",
         {.width = 4,
          .height = 2,
          .bitCount = 4,
          .compression = 2,
          .colorsUsed = 4,
          .palette = RleTable(),
          .pixels = {4, 0x12, 0, 0, 0, 5, 0x31, 0x23, 0x10, 0, 0, 1}},
         "3,0,0 1,0,0 2,0,0 3,0,0 / 1,0,0 2,0,0 1,0,0 2,0,0"},
        {"RLE24 in an OS/2 2.x header",
         {.headerSize = 64,
          .width = 2,
          .height = 2,
          .bitCount = 24,
          .compression = 4,
          .pixels = {2, 10, 20, 30, 0, 0, 0, 3, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 1}},
         "1,2,3 4,5,6 / 10,20,30 10,20,30"},
        {"no end of bitmap once the last row is full",
         {.width = 2,
          .height = 1,
          .bitCount = 8,
          .compression = 1,
          .palette = RleTable(),
          .pixels = {2, 1}},
         "1,0,0 1,0,0"},
        {"codes past the top row are ignored",
         {.width = 1,
          .height = 1,
          .bitCount = 8,
          .compression = 1,
          .palette = RleTable(),
          .pixels = {1, 1, 0, 0, 1, 2, 0, 2, 9, 9}},
         "1,0,0"},
        {"a delta past the top row ends the picture",
         {.width = 2,
          .height = 2,
          .bitCount = 8,
          .compression = 1,
          .palette = RleTable(),
          .pixels = {1, 2, 0, 2, 0, 5, 2, 1}},
         "0,0,0 0,0,0 / 2,0,0 0,0,0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bitmap bitmap = Decode(MakeBmp(c.spec));
        EXPECT_EQ(bitmap.Format(), PixelFormat::Bit24);
        EXPECT_EQ(PixelsText(bitmap), c.pixels);
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
        EXPECT_EQ(DecodeError(MakeBmp({.width = 2,
                                       .height = 2,
                                       .bitCount = 8,
                                       .compression = 1,
                                       .palette = RleTable(),
                                       .pixels = stream})),
                  "The data is truncated");
    }
}

TEST(BmpDecode, BadFilesAreRefusedWithAClearMessage) {
    const Bytes pixel = {1, 2, 3, 0};
    const auto rle = [](BmpSpec spec) {
        spec.bitCount = 8;
        spec.compression = 1;
        spec.palette = {Grey(1)};
        spec.pixels = {0, 1};
        return MakeBmp(spec);
    };
    Bytes cut = MakeBmp({.pixels = pixel});
    cut.resize(30);
    Bytes wrongMagic = MakeBmp({.pixels = pixel});
    wrongMagic[1] = 'A';
    struct Case {
        const char* name;
        Bytes file;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"nothing", {}, "The data is not a BMP file"},
        {"wrong magic", wrongMagic, "The data is not a BMP file"},
        {"shorter than the file header", {'B', 'M', 0, 0, 0}, "The data is truncated"},
        {"header cut short", cut, "The data is truncated"},
        {"unknown header size", MakeBmp({.headerSize = 66, .pixels = pixel}),
         "The data has an unknown header size of 66 bytes"},
        {"zero width", MakeBmp({.width = 0, .pixels = pixel}),
         "The data claims a picture of 0 x 1 pixels"},
        {"negative width", MakeBmp({.width = -5, .pixels = pixel}),
         "The data claims a picture of -5 x 1 pixels"},
        {"zero height", MakeBmp({.height = 0, .pixels = pixel}),
         "The data claims a picture of 1 x 0 pixels"},
        {"most negative height", MakeBmp({.height = INT_MIN, .pixels = pixel}),
         "The data claims a picture of 1 x -2147483648 pixels"},
        {"more pixels than any picture", MakeBmp({.width = 20000, .height = 20000}),
         "The data claims a picture of 20000 x 20000 pixels"},
        {"picture larger than the file", MakeBmp({.width = 2, .height = 2, .pixels = {1, 2, 3}}),
         "The data is truncated"},
        {"bit count 3", MakeBmp({.bitCount = 3, .pixels = pixel}),
         "The data has an unsupported bit count of 3"},
        {"bit count 64", MakeBmp({.bitCount = 64, .pixels = Bytes(8)}),
         "The data has an unsupported bit count of 64"},
        {"unknown compression", MakeBmp({.compression = 7, .pixels = pixel}),
         "The data uses unsupported compression 7"},
        {"embedded JPEG", MakeBmp({.bitCount = 0, .compression = 4, .pixels = pixel}),
         "The data uses unsupported compression 4 (embedded JPEG)"},
        {"OS/2 Huffman",
         MakeBmp({.headerSize = 64, .bitCount = 1, .compression = 3, .palette = {Grey(0)}}),
         "The data uses unsupported compression 3 (Huffman 1D)"},
        {"RLE8 with 4 bits", MakeBmp({.bitCount = 4, .compression = 1, .palette = {Grey(0)}}),
         "The data uses RLE8 compression with 4 bits per pixel"},
        {"bit fields with 24 bits", MakeBmp({.compression = 3, .masks = {1, 2, 4}}),
         "The data uses bit fields with 24 bits per pixel"},
        {"mask with a gap",
         MakeBmp({.bitCount = 16, .compression = 3, .masks = {0xF801, 0x07E0, 0x001F}}),
         "The data has an invalid bit field mask 0xF801 for 16-bit pixels"},
        {"mask past the pixel",
         MakeBmp({.bitCount = 16, .compression = 3, .masks = {0x1F0000, 0x07E0, 0x001F}}),
         "The data has an invalid bit field mask 0x1F0000 for 16-bit pixels"},
        {"masks without colour", MakeBmp({.bitCount = 16, .compression = 3, .masks = {0, 0, 0}}),
         "The data has bit fields without any colour bits"},
        {"pixels inside the headers", MakeBmp({.pixels = pixel, .pixelOffset = 20}),
         "The data has its pixel data at offset 20, inside its headers"},
        {"pixels beyond the end", MakeBmp({.pixels = pixel, .pixelOffset = 1000}),
         "The data has its pixel data at offset 1000, beyond its end (58 bytes)"},
        {"palette picture without a table", MakeBmp({.bitCount = 8, .pixels = pixel}),
         "The data has no colour table"},
        {"top-down RLE", rle({.height = -1}),
         "The data uses RLE compression with top-down rows, which BMP does not allow"},
        {"RLE claim far beyond its data", rle({.width = 10000, .height = 10000}),
         "The data claims a picture of 10000 x 10000 pixels in only 2 bytes of RLE data"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeError(c.file), c.message) << c.name;
    }
}

TEST(BmpDecode, LoadNamesTheFileInItsErrors) {
    const test::TempDir dir;
    Bytes file = MakeBmp({.width = 2, .height = 2, .pixels = Bytes(16)});
    file.resize(file.size() - 8);
    const std::string uncompressed = dir.Write("cut.bmp", file);
    const std::string rle = dir.Write("cut-rle.bmp", MakeBmp({.width = 2,
                                                              .height = 2,
                                                              .bitCount = 8,
                                                              .compression = 1,
                                                              .palette = RleTable(),
                                                              .pixels = {2, 1}}));
    for (const std::string& path : {uncompressed, rle}) {
        try {
            LoadBmp(path);
            ADD_FAILURE() << path << " loaded";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "File \"" + path + "\" is truncated");
        }
    }
    EXPECT_THROW(LoadBmp(dir.File("missing.bmp")), Error);
    EXPECT_THROW(LoadBmp(dir.File("")), Error); // the folder itself
}

} // namespace
} // namespace pixmoth
