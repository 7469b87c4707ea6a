#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "JpegTestFiles.h"
#include "TempDir.h"
#include "TestPictures.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/JpegCodec.h"

namespace pixmoth {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::MakeTestJpeg;
using test::TestJpegOptions;

struct Rgb {
    int r, g, b;
};

// The largest channel difference between pixel (x, y) and `colour`.
int Distance(const Bitmap& bitmap, int x, int y, Rgb colour) {
    const std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
    return std::max(
        {std::abs(p[0] - colour.b), std::abs(p[1] - colour.g), std::abs(p[2] - colour.r)});
}

// Samples in RGB order, as libjpeg takes them, of a 24-bit bitmap.
Bytes RgbSamples(const Bitmap& bitmap) {
    Bytes samples;
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) {
            samples.insert(samples.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
        }
    }
    return samples;
}

// Blocks of 16 x 16 pixels, one colour each, laid out as `rows` of letters from
// `palette` ("AB/CD"): big enough for JPEG to keep each block's centre exact.
constexpr int kBlock = 16;
Bitmap BlockPicture(const std::string& rows, const std::string& letters,
                    const std::vector<Rgb>& palette) {
    std::vector<std::string> lines(1);
    for (char c : rows) {
        if (c == '/') {
            lines.emplace_back();
        } else {
            lines.back().push_back(c);
        }
    }
    Bitmap bitmap(static_cast<int>(lines[0].size()) * kBlock,
                  static_cast<int>(lines.size()) * kBlock);
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            const Rgb c = palette[letters.find(lines[y / kBlock][x / kBlock])];
            bitmap.SetPixelColor(
                x, y, PaletteEntry{std::uint8_t(c.b), std::uint8_t(c.g), std::uint8_t(c.r), 0});
        }
    }
    return bitmap;
}

// Checks each block's centre against the layout `rows`.
::testing::AssertionResult HasBlocks(const Bitmap& bitmap, const std::string& rows,
                                     const std::string& letters, const std::vector<Rgb>& palette) {
    const Bitmap expected = BlockPicture(rows, letters, palette);
    if (bitmap.Width() != expected.Width() || bitmap.Height() != expected.Height()) {
        return ::testing::AssertionFailure() << "size " << bitmap.Width() << "x" << bitmap.Height();
    }
    for (int y = kBlock / 2; y < bitmap.Height(); y += kBlock) {
        for (int x = kBlock / 2; x < bitmap.Width(); x += kBlock) {
            const PaletteEntry e = expected.PixelColor(x, y);
            if (Distance(bitmap, x, y, Rgb{e.red, e.green, e.blue}) > 8) {
                return ::testing::AssertionFailure()
                       << "block at " << x << "," << y << " is " << test::PixelText(bitmap, x, y);
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// A smooth picture, the kind JPEG is made for: the mean error says how faithful.
Bitmap Gradient(int width, int height) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bitmap.ScanLine(y)[3 * x] = std::uint8_t(std::min(2 * x, 255));
            bitmap.ScanLine(y)[3 * x + 1] = std::uint8_t(std::min(3 * y, 255));
            bitmap.ScanLine(y)[3 * x + 2] = std::uint8_t(std::clamp(128 + x - y, 0, 255));
        }
    }
    return bitmap;
}

double MeanError(const Bitmap& a, const Bitmap& b) {
    double sum = 0;
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width() * 3; ++x) {
            sum += std::abs(a.ScanLine(y)[x] - b.ScanLine(y)[x]);
        }
    }
    return sum / (3.0 * a.Width() * a.Height());
}

Bitmap Decode(const Bytes& file) {
    return DecodeJpeg(file.data(), file.size());
}

using test::ErrorText;

using test::HeaderSegments;
using test::PatchSize;
using test::Segment;

const std::string kLetters = "ABCDEF";
const std::vector<Rgb> kColours = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                   {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};

TEST(JpegRoundTrip, SolidColoursComeBackWithinThreeLevels) {
    const std::vector<Rgb> colours = {{0, 0, 0},   {255, 255, 255}, {128, 128, 128}, {255, 0, 0},
                                      {0, 255, 0}, {0, 0, 255},     {255, 140, 0}};
    for (const Rgb& c : colours) {
        const Bitmap source = test::SolidBitmap(24, 17, c.b, c.g, c.r);
        const Bitmap result = Decode(EncodeJpeg(source));
        ASSERT_EQ(result.Width(), 24);
        ASSERT_EQ(result.Height(), 17);
        for (int y = 0; y < 17; ++y) {
            for (int x = 0; x < 24; ++x) {
                ASSERT_LE(Distance(result, x, y, c), 3) << c.r << "," << c.g << "," << c.b;
            }
        }
    }
}

TEST(JpegRoundTrip, SmoothPicturesSurviveAtAnySizeAndRowPadding) {
    const std::vector<std::pair<int, int>> sizes = {{1, 1},  {2, 3},   {7, 5},   {8, 8},
                                                    {17, 9}, {33, 31}, {101, 3}, {64, 48}};
    for (const auto& [w, h] : sizes) {
        const Bitmap source = Gradient(w, h);
        const Bitmap result = Decode(EncodeJpeg(source));
        ASSERT_EQ(result.Width(), w);
        ASSERT_EQ(result.Height(), h);
        EXPECT_EQ(result.Format(), PixelFormat::Bit24);
        EXPECT_LT(MeanError(source, result), 3.0) << w << "x" << h;
    }
}

TEST(JpegEncode, EveryPixelFormatEncodesAsItsTwentyFourBitCopy) {
    for (PixelFormat format : {PixelFormat::Bit1, PixelFormat::Bit4, PixelFormat::Bit8,
                               PixelFormat::Bit15, PixelFormat::Bit16, PixelFormat::Bit32}) {
        Bitmap picture = test::PatternBitmap(37, 19);
        picture.SetPixelFormat(format);
        Bitmap copy = picture;
        copy.To24Bit();
        EXPECT_EQ(EncodeJpeg(picture), EncodeJpeg(copy)) << BitsPerPixel(format) << " bits";
    }
}

TEST(JpegEncode, WritesBaselineFourTwoZeroWithStandardTablesScaledForTheQuality) {
    // The example tables of the JPEG standard, in natural order, and the zig-zag
    // order in which files store them.
    const int luma[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                          14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                          18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                          49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
    int chroma[64];
    std::fill(chroma, chroma + 64, 99);
    const int chromaTop[4][4] = {
        {17, 18, 24, 47}, {18, 21, 26, 66}, {24, 26, 56, 99}, {47, 66, 99, 99}};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            chroma[8 * r + c] = chromaTop[r][c];
        }
    }
    const int zigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                            12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                            35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                            58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
    const Bitmap picture = Gradient(50, 30);
    for (int quality : {90, 50, 100, 10}) {
        const Bytes file = quality == 90 ? EncodeJpeg(picture) : EncodeJpeg(picture, quality);
        const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
        std::vector<int> markers;
        int tables = 0;
        for (const Segment& s : HeaderSegments(file)) {
            markers.push_back(s.marker);
            if (s.marker == 0xDB) {
                for (std::size_t at = 0; at + 65 <= s.body.size(); at += 65, ++tables) {
                    ASSERT_EQ(s.body[at] >> 4, 0) << "8-bit table";
                    const int* base = (s.body[at] & 15) == 0 ? luma : chroma;
                    for (int i = 0; i < 64; ++i) {
                        const int expected =
                            std::clamp((base[zigzag[i]] * scale + 50) / 100, 1, 255);
                        ASSERT_EQ(s.body[at + 1 + i], expected)
                            << "quality " << quality << " table " << (s.body[at] & 15) << " #" << i;
                    }
                }
            }
            if (s.marker == 0xC0) {
                const Bytes expected = {8, 0, 30, 0, 50, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1};
                EXPECT_EQ(s.body, expected) << "8 bits, 50 x 30, Y 2x2 table 0, Cb Cr 1x1 table 1";
            }
        }
        EXPECT_EQ(tables, 2);
        // JFIF header, tables, baseline frame, nothing else (no Exif, no progressive frame).
        EXPECT_EQ(markers.front(), 0xE0);
        EXPECT_EQ(std::count(markers.begin(), markers.end(), 0xC0), 1);
        for (int m : markers) {
            EXPECT_TRUE(m == 0xE0 || m == 0xDB || m == 0xC0 || m == 0xC4 || m == 0xDA) << m;
        }
    }
}

TEST(JpegEncode, RefusesPicturesJpegCannotHold) {
    EXPECT_NE(ErrorText([] { EncodeJpeg(Bitmap()); }), "");
    EXPECT_NE(ErrorText([] { EncodeJpeg(Bitmap(65501, 1)); }).find("65500"), std::string::npos);
}

TEST(JpegDecode, GreyFilesGiveEqualChannels) {
    Bytes samples(40 * 24);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = std::uint8_t(i / 40 * 10); // rows 0, 10, 20 ... 230
    }
    for (bool progressive : {false, true}) {
        TestJpegOptions options;
        options.inSpace = options.fileSpace = JCS_GRAYSCALE;
        options.progressive = progressive;
        const Bitmap result = Decode(MakeTestJpeg(40, 24, samples, options));
        ASSERT_EQ(result.Width(), 40);
        for (int y = 0; y < 24; ++y) {
            for (int x = 0; x < 40; ++x) {
                ASSERT_LE(Distance(result, x, y, {y * 10, y * 10, y * 10}), 2) << x << "," << y;
            }
        }
    }
}

TEST(JpegDecode, CmykAndYcckTurnIntoRgb) {
    // Inks (cyan, magenta, yellow, black) and the colour they print, by hand:
    // red = 255 x (1 - cyan) x (1 - black), and so on.
    struct Ink {
        int c, m, y, k;
        Rgb expected;
    };
    const Ink inks[] = {{0, 0, 0, 0, {255, 255, 255}},    {255, 0, 0, 0, {0, 255, 255}},
                        {0, 255, 255, 0, {255, 0, 0}},    {0, 0, 0, 128, {127, 127, 127}},
                        {128, 0, 0, 128, {63, 127, 127}}, {0, 0, 0, 255, {0, 0, 0}}};
    struct Kind {
        const char* name;
        J_COLOR_SPACE fileSpace;
        bool adobe; // Adobe's files store 255 - ink
    };
    for (const Kind& kind : {Kind{"Adobe CMYK", JCS_CMYK, true}, Kind{"YCCK", JCS_YCCK, true},
                             Kind{"plain CMYK", JCS_CMYK, false}}) {
        Bytes samples;
        for (int y = 0; y < kBlock; ++y) {
            for (const Ink& ink : inks) {
                for (int x = 0; x < kBlock; ++x) {
                    for (int v : {ink.c, ink.m, ink.y, ink.k}) {
                        samples.push_back(std::uint8_t(kind.adobe ? 255 - v : v));
                    }
                }
            }
        }
        TestJpegOptions options;
        options.inSpace = JCS_CMYK;
        options.fileSpace = kind.fileSpace;
        options.adobeMarker = kind.adobe;
        const Bitmap result = Decode(MakeTestJpeg(6 * kBlock, kBlock, samples, options));
        for (int i = 0; i < 6; ++i) {
            EXPECT_LE(Distance(result, i * kBlock + 8, 8, inks[i].expected), 3)
                << kind.name << " ink " << i << ": " << test::PixelText(result, i * kBlock + 8, 8);
        }
    }
}

TEST(JpegDecode, ProgressiveGivesTheSamePixelsAsBaseline) {
    const Bytes samples = RgbSamples(test::PatternBitmap(45, 29));
    TestJpegOptions options;
    options.quality = 75;
    const Bitmap baseline = Decode(MakeTestJpeg(45, 29, samples, options));
    options.progressive = true;
    EXPECT_TRUE(test::SamePicture(Decode(MakeTestJpeg(45, 29, samples, options)), baseline));
}

TEST(JpegDecode, ExifOrientationTurnsThePictureUpright) {
    // The stored picture is ABC over DEF; how each orientation shows it.
    const char* upright[9] = {"",         "ABC/DEF",  "CBA/FED",  "FED/CBA", "DEF/ABC",
                              "AD/BE/CF", "DA/EB/FC", "FC/EB/DA", "CF/BE/AD"};
    const Bytes samples = RgbSamples(BlockPicture("ABC/DEF", kLetters, kColours));
    for (bool bigEndian : {false, true}) {
        for (int orientation = 1; orientation <= 8; ++orientation) {
            TestJpegOptions options;
            // A foreign APP1 block first: the Exif one is found behind it.
            options.app1 = {{'h', 't', 't', 'p', ':', 0},
                            test::ExifPayload(bigEndian, orientation)};
            const Bytes file = MakeTestJpeg(3 * kBlock, 2 * kBlock, samples, options);
            EXPECT_TRUE(HasBlocks(Decode(file), upright[orientation], kLetters, kColours))
                << "orientation " << orientation << (bigEndian ? " MM" : " II");
            const JpegSize size = ReadJpegSize(file.data(), file.size());
            EXPECT_EQ(size.width, (orientation >= 5 ? 2 : 3) * kBlock);
            EXPECT_EQ(size.height, (orientation >= 5 ? 3 : 2) * kBlock);
        }
    }
}

TEST(JpegDecode, DamagedExifLeavesThePictureAsStored) {
    const Bytes samples = RgbSamples(BlockPicture("ABC/DEF", kLetters, kColours));
    Bytes badOffset = test::ExifPayload(false, 6);
    badOffset[10] = 0xF0; // IFD0 far past the block
    Bytes cut = test::ExifPayload(true, 8);
    cut.resize(30); // ends inside the orientation entry
    for (const Bytes& exif : {badOffset, cut, Bytes{'E', 'x', 'i', 'f', 0, 0}}) {
        TestJpegOptions options;
        options.app1 = {exif};
        EXPECT_TRUE(HasBlocks(Decode(MakeTestJpeg(3 * kBlock, 2 * kBlock, samples, options)),
                              "ABC/DEF", kLetters, kColours));
    }
}

TEST(JpegDecode, BadDataFailsWithLibjpegsMessage) {
    Bytes garbage = {0xFF, 0xD8};
    for (int i = 0; i < 200; ++i) {
        garbage.push_back(std::uint8_t(i * 37 + 11));
    }
    struct Case {
        const char* name;
        Bytes data;
        const char* message;
    };
    const Case cases[] = {
        {"empty", {}, "Empty input file"},
        {"PNG", {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0}, "Not a JPEG file"},
        {"garbage after SOI", garbage, ""},
        {"SOI alone", {0xFF, 0xD8}, ""},
        {"SOI and EOI", {0xFF, 0xD8, 0xFF, 0xD9}, "contains no image"},
    };
    for (const Case& c : cases) {
        const std::string text = ErrorText([&] { Decode(c.data); });
        EXPECT_NE(text, "") << c.name;
        EXPECT_NE(text.find(c.message), std::string::npos) << c.name << ": " << text;
    }
}

TEST(JpegDecode, EveryCutGivesAnErrorOrTheWholePicture) {
    // Cut inside the scans, the picture keeps its size and what was decoded (the
    // rest is mid-grey); cut before the first scan, there is nothing to show.
    const Bytes samples = RgbSamples(Gradient(40, 24));
    TestJpegOptions progressive;
    progressive.progressive = true;
    for (const Bytes& file :
         {EncodeJpeg(Gradient(40, 24)), MakeTestJpeg(40, 24, samples, progressive)}) {
        std::size_t scanData = 0;
        HeaderSegments(file, &scanData);
        for (std::size_t size = 0; size < file.size(); ++size) {
            const Bytes cut(file.begin(), file.begin() + size);
            try {
                const Bitmap result = Decode(cut);
                EXPECT_EQ(result.Width(), 40) << size;
                EXPECT_EQ(result.Height(), 24) << size;
                EXPECT_GE(size, scanData) << "a picture from a file cut before its scans";
            } catch (const Error&) {
                EXPECT_LT(size, scanData) << "cut at " << size << " of " << file.size();
            }
        }
    }
    const Bytes file = EncodeJpeg(test::PatternBitmap(64, 64));
    std::size_t scanData = 0;
    HeaderSegments(file, &scanData);
    const Bitmap half = Decode(Bytes(file.begin(), file.begin() + (scanData + file.size()) / 2));
    const Bitmap whole = Decode(file);
    EXPECT_EQ(0, std::memcmp(half.ScanLine(0), whole.ScanLine(0), 64 * 3)) << "top row decoded";
    EXPECT_LE(Distance(half, 63, 63, {128, 128, 128}), 1) << test::PixelText(half, 63, 63);

    // Junk instead of the end marker costs nothing once the picture is complete.
    Bytes junk(file.begin(), file.end() - 2);
    junk.insert(junk.end(), {0xFF, 0xC1, 0x00, 0x02, 0xFF, 0x77, 0x12});
    EXPECT_TRUE(test::SamePicture(Decode(junk), whole));
}

TEST(JpegDecode, AbsurdSizesAreRefusedBeforeAnyWork) {
    Bytes huge = EncodeJpeg(Gradient(16, 16));
    PatchSize(huge, 65000, 65000);
    EXPECT_NE(ErrorText([&] { Decode(huge); }).find("claims a picture of 65000 x 65000 pixels"),
              std::string::npos);
    PatchSize(huge, 20000, 10001); // just over the limit
    EXPECT_NE(ErrorText([&] { Decode(huge); }).find("20000 x 10001"), std::string::npos);

    // Within the pixel limit, a progressive CMYK file still needs 8 bytes of
    // coefficients a pixel: more working memory than libjpeg may take.
    TestJpegOptions cmyk;
    cmyk.inSpace = cmyk.fileSpace = JCS_CMYK;
    cmyk.progressive = true;
    cmyk.app1 = {Bytes(65000, 0), Bytes(65000, 0)}; // enough bytes for the pixels claimed
    Bytes greedy = MakeTestJpeg(16, 16, Bytes(16 * 16 * 4, 200), cmyk);
    PatchSize(greedy, 14000, 14000);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NE(ErrorText([&] { Decode(greedy); }).find("working memory"), std::string::npos);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(JpegDecode, ThousandsOfScansAreRefused) {
    // Each of the 63 coefficients of a grey picture sent in eleven scans, one bit
    // at a time after the first: 694 scans, a legal file that is slow to open.
    std::vector<jpeg_scan_info> scans = {{1, {0}, 0, 0, 0, 0}};
    for (int k = 1; k < 64; ++k) {
        scans.push_back({1, {0}, k, k, 0, 10});
        for (int bit = 10; bit > 0; --bit) {
            scans.push_back({1, {0}, k, k, bit, bit - 1});
        }
    }
    TestJpegOptions options;
    options.inSpace = options.fileSpace = JCS_GRAYSCALE;
    options.scans = scans.data();
    options.scanCount = static_cast<int>(scans.size());
    const Bytes file = MakeTestJpeg(8, 8, Bytes(64, 90), options);
    EXPECT_NE(ErrorText([&] { Decode(file); }).find("too many scans"), std::string::npos);
}

TEST(JpegDecodeScaled, TakesTheSmallestScalingThatKeepsTheLongerSide) {
    const Bytes file = EncodeJpeg(BlockPicture("AB/CD", kLetters, kColours));
    const Bytes photo = EncodeJpeg(Gradient(400, 300));
    struct Case {
        int maxSide, width, height;
    };
    // 400 x 300 at n/8 is ceil(400 n / 8) x ceil(300 n / 8).
    for (const Case& c :
         {Case{50, 50, 38}, Case{51, 100, 75}, Case{100, 100, 75}, Case{101, 150, 113},
          Case{399, 400, 300}, Case{400, 400, 300}, Case{5000, 400, 300}, Case{0, 50, 38}}) {
        const Bitmap result = DecodeJpegScaled(photo.data(), photo.size(), c.maxSide);
        EXPECT_EQ(result.Width(), c.width) << c.maxSide;
        EXPECT_EQ(result.Height(), c.height) << c.maxSide;
    }
    // Colours stay where they were: a 32 x 32 picture of four blocks at 1/2.
    const Bitmap half = DecodeJpegScaled(file.data(), file.size(), 16);
    ASSERT_EQ(half.Width(), 16);
    EXPECT_LE(Distance(half, 4, 4, kColours[0]), 8);
    EXPECT_LE(Distance(half, 11, 4, kColours[1]), 8);
    EXPECT_LE(Distance(half, 4, 11, kColours[2]), 8);
    EXPECT_LE(Distance(half, 11, 11, kColours[3]), 8);
}

TEST(JpegDecodeScaled, AtLeastKeepsBothSidesOfTheBox) {
    struct Case {
        const char* name;
        int width, height, orientation, minWidth, minHeight, outWidth, outHeight;
    };
    // n/8 of 400 x 300 is ceil(400 n / 8) x ceil(300 n / 8).
    const Case cases[] = {
        {"both sides decide", 400, 300, 1, 91, 91, 150, 113},
        {"the narrow side decides", 400, 300, 1, 10, 200, 300, 225},
        {"a side smaller than asked: full size", 800, 10, 1, 91, 91, 800, 10},
        {"turned a quarter: the upright sides count", 400, 300, 6, 91, 200, 150, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestJpegOptions options;
        options.app1 = {test::ExifPayload(false, static_cast<unsigned>(c.orientation))};
        const Bytes file =
            MakeTestJpeg(c.width, c.height, RgbSamples(Gradient(c.width, c.height)), options);
        const Bitmap result = DecodeJpegAtLeast(file.data(), file.size(), c.minWidth, c.minHeight);
        EXPECT_EQ(result.Width(), c.outWidth);
        EXPECT_EQ(result.Height(), c.outHeight);
    }
}

TEST(JpegFiles, SaveThenLoadGivesThePictureBack) {
    const test::TempDir dir;
    const Bitmap picture = Gradient(30, 20);
    const std::string path = dir / "shot.jpg";
    SaveJpeg(picture, path);
    EXPECT_LT(MeanError(LoadJpeg(path), picture), 3.0);
}

TEST(JpegFiles, ErrorsNameTheFile) {
    const test::TempDir dir;
    const std::string missing = dir / "missing.jpg";
    EXPECT_NE(ErrorText([&] { LoadJpeg(missing); }).find(missing), std::string::npos);

    const std::string text = dir / "notes.jpg";
    test::WriteTextFile(text, "not a picture");
    EXPECT_EQ(ErrorText([&] {
                  LoadJpeg(text);
              }).rfind("Cannot read JPEG file \"" + text + "\": Not a JPEG file", 0),
              0u);

    const std::string empty = dir / "empty.jpg";
    EXPECT_NE(ErrorText([&] { SaveJpeg(Bitmap(), empty); }).find(empty), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(empty)) << "nothing written on failure";
}

} // namespace
} // namespace pixmoth
