#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/BmpCodec.h"

// The BMP Suite's generated files (shared corpus, not part of the project).
namespace pixmoth {
namespace {

const std::string kSuite = PIXMOTH_CORPUS_DIR "/bmpsuite/";

#define SKIP_WITHOUT_SUITE()                                                                       \
    if (!std::filesystem::is_directory(kSuite + "g")) {                                            \
        GTEST_SKIP() << "BMP suite not found in " << kSuite;                                       \
    }

// FNV-1a 64 over the blue, green, red bytes of every pixel, top row first.
std::uint64_t Digest(Bitmap bitmap) {
    bitmap.To24Bit();
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        for (int i = 0; i < 3 * bitmap.Width(); ++i) {
            hash = (hash ^ row[i]) * 0x100000001b3ull;
        }
    }
    return hash;
}

std::string Colour(const Bitmap& bitmap, int x, int y) {
    const PaletteEntry c = bitmap.PixelColor(x, y);
    return std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue);
}

TEST(BmpCorpus, EveryGoodFileDecodesToTheReferencePixels) {
    SKIP_WITHOUT_SUITE();
    struct Case {
        const char* file;
        std::uint64_t digest;
        PixelFormat format;
    };
    // Digests of ImageMagick 6.9.11's decoding (convert FILE -depth 8 rgb:-), which
    // widens 5- and 6-bit channels by bit replication as the Bitmap does. Pillow
    // 9.4 agrees except on RLE4 (it misreads pal4rle) and 16 bits (it truncates).
    const std::vector<Case> cases = {
        {"pal1.bmp", 0x93cb10c47d28db4dull, PixelFormat::Bit1},
        {"pal1bg.bmp", 0x73d1797f92f7bce5ull, PixelFormat::Bit1},
        {"pal1wb.bmp", 0x93cb10c47d28db4dull, PixelFormat::Bit1},
        {"pal4.bmp", 0x0bd8ec6cc66e5211ull, PixelFormat::Bit4},
        {"pal4gs.bmp", 0x84584472fec80434ull, PixelFormat::Bit4},
        {"pal4rle.bmp", 0x0bd8ec6cc66e5211ull, PixelFormat::Bit24},
        {"pal8-0.bmp", 0x811529b078c66aecull, PixelFormat::Bit8},
        {"pal8.bmp", 0x811529b078c66aecull, PixelFormat::Bit8},
        {"pal8gs.bmp", 0x13c463af6d9a108full, PixelFormat::Bit8},
        {"pal8nonsquare.bmp", 0xaa33f4a48d7c26d8ull, PixelFormat::Bit8},
        {"pal8os2.bmp", 0x811529b078c66aecull, PixelFormat::Bit8},
        {"pal8rle.bmp", 0x811529b078c66aecull, PixelFormat::Bit24},
        {"pal8topdown.bmp", 0x811529b078c66aecull, PixelFormat::Bit8},
        {"pal8v4.bmp", 0x811529b078c66aecull, PixelFormat::Bit8},
        {"pal8v5.bmp", 0x811529b078c66aecull, PixelFormat::Bit8},
        {"pal8w124.bmp", 0x02876ffab9e1ea2dull, PixelFormat::Bit8},
        {"pal8w125.bmp", 0xa59a729925872727ull, PixelFormat::Bit8},
        {"pal8w126.bmp", 0x890b560482769da5ull, PixelFormat::Bit8},
        {"rgb16-565.bmp", 0x2cfd07922176cfbeull, PixelFormat::Bit16},
        {"rgb16-565pal.bmp", 0x2cfd07922176cfbeull, PixelFormat::Bit16},
        {"rgb16.bmp", 0xfb02901d63a6f598ull, PixelFormat::Bit15},
        {"rgb16bfdef.bmp", 0xfb02901d63a6f598ull, PixelFormat::Bit15},
        {"rgb24.bmp", 0x02b2eb409fb10057ull, PixelFormat::Bit24},
        {"rgb24pal.bmp", 0x02b2eb409fb10057ull, PixelFormat::Bit24},
        {"rgb32.bmp", 0x02b2eb409fb10057ull, PixelFormat::Bit32},
        {"rgb32bf.bmp", 0x02b2eb409fb10057ull, PixelFormat::Bit24},
        {"rgb32bfdef.bmp", 0x02b2eb409fb10057ull, PixelFormat::Bit32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Bitmap bitmap = LoadBmp(kSuite + "g/" + c.file);
        EXPECT_EQ(bitmap.Format(), c.format);
        EXPECT_EQ(Digest(bitmap), c.digest);
    }
}

TEST(BmpCorpus, TheSuitesPictureHasItsColoursWhereTheyBelong) {
    SKIP_WITHOUT_SUITE();
    // Four columns 32 pixels wide fading from red, green, blue and grey at the
    // top; the top right pixel of the red column is white, the bottom row is
    // black, and the letters' outline is black. RLE24 is checked here only: no
    // reference decoder reads it.
    for (const char* file :
         {"g/rgb24.bmp", "g/pal8.bmp", "g/pal8rle.bmp", "g/pal4rle.bmp", "g/pal8topdown.bmp",
          "g/pal8os2.bmp", "g/rgb16.bmp", "g/rgb16-565.bmp", "g/rgb32bf.bmp", "q/rgb24rle24.bmp"}) {
        SCOPED_TRACE(file);
        const Bitmap bitmap = LoadBmp(kSuite + file);
        ASSERT_EQ(bitmap.Width(), 127);
        ASSERT_EQ(bitmap.Height(), 64);
        EXPECT_EQ(Colour(bitmap, 0, 0), "255,0,0");
        EXPECT_EQ(Colour(bitmap, 31, 0), "255,255,255");
        EXPECT_EQ(Colour(bitmap, 32, 0), "0,255,0");
        EXPECT_EQ(Colour(bitmap, 64, 0), "0,0,255");
        EXPECT_EQ(Colour(bitmap, 0, 63), "0,0,0");
        EXPECT_EQ(Colour(bitmap, 60, 30), "0,0,0");
    }
}

TEST(BmpCorpus, QuestionableLayoutsOfTheStandardPictureDecodeToIt) {
    SKIP_WITHOUT_SUITE();
    const std::uint64_t pal8 = Digest(LoadBmp(kSuite + "g/pal8.bmp"));
    const std::uint64_t rgb24 = Digest(LoadBmp(kSuite + "g/rgb24.bmp"));
    // Gaps before the pixels, oversized or cut tables, OS/2 2.x headers, RLE24,
    // wrong size fields, alpha masks and unusual byte orders.
    for (const char* file : {"pal8offs.bmp", "pal8os2-hs.bmp", "pal8os2-sz.bmp", "pal8os2sp.bmp",
                             "pal8os2v2-16.bmp", "pal8os2v2-40sz.bmp", "pal8os2v2-sz.bmp",
                             "pal8os2v2.bmp", "pal8oversizepal.bmp", "rgb24rle24.bmp"}) {
        EXPECT_EQ(Digest(LoadBmp(kSuite + "q/" + file)), pal8) << file;
    }
    for (const char* file : {"rgb24largepal.bmp", "rgb24lprof.bmp", "rgb32-xbgr.bmp",
                             "rgb32fakealpha.bmp", "rgb32h52.bmp"}) {
        EXPECT_EQ(Digest(LoadBmp(kSuite + "q/" + file)), rgb24) << file;
    }
    // The alpha picture's colours in other channel layouts; 10- and 12-bit
    // channels scale back to the 8-bit values exactly only with rounding.
    const std::uint64_t rgba32 = Digest(LoadBmp(kSuite + "q/rgba32-1.bmp"));
    for (const char* file : {"rgba32-2.bmp", "rgba32abf.bmp", "rgba32h56.bmp", "rgba32-1010102.bmp",
                             "rgba32-81284.bmp"}) {
        EXPECT_EQ(Digest(LoadBmp(kSuite + "q/" + file)), rgba32) << file;
    }
}

TEST(BmpCorpus, EveryFileDecodesOrIsRefusedWithoutHarm) {
    SKIP_WITHOUT_SUITE();
    // Every other file decodes: in b/ the faults are in fields the picture does
    // not depend on, RLE codes running off the picture (clipped) or indices past
    // the table (black).
    const std::map<std::string, std::string> refused = {
        {"q/pal1huffmsb.bmp", "uses unsupported compression 3 (Huffman 1D)"},
        {"q/rgb24jpeg.bmp", "uses unsupported compression 4 (embedded JPEG)"},
        {"q/rgb24png.bmp", "uses unsupported compression 5 (embedded PNG)"},
        {"q/rgba64.bmp", "has an unsupported bit count of 64"},
        {"b/badbitcount.bmp", "has an unsupported bit count of 30000"},
        {"b/badheadersize.bmp", "has an unknown header size of 66 bytes"},
        {"b/badwidth.bmp", "claims a picture of -127 x 64 pixels"},
        {"b/reallybig.bmp", "claims a picture of 3000000 x 2000000 pixels"},
        {"b/rletopdown.bmp", "uses RLE compression with top-down rows, which BMP does not allow"},
        {"b/shortfile.bmp", "is truncated"},
    };
    int files = 0;
    for (const char* folder : {"g", "q", "b"}) {
        for (const auto& entry : std::filesystem::directory_iterator(kSuite + folder)) {
            ++files;
            std::string name = folder;
            name += '/';
            name += entry.path().filename().string();
            const auto it = refused.find(name);
            try {
                const Bitmap bitmap = LoadBmp(entry.path().string());
                EXPECT_TRUE(it == refused.end()) << name << " decoded";
                EXPECT_LE(bitmap.Width() * bitmap.Height(), 127 * 64) << name;
            } catch (const Error& e) {
                ASSERT_TRUE(it != refused.end()) << name << ": " << e.what();
                EXPECT_EQ(e.what(), "File \"" + entry.path().string() + "\" " + it->second);
            }
        }
    }
    EXPECT_EQ(files, 88);
}

} // namespace
} // namespace pixmoth
