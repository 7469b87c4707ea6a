#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "PythonCases.h"
#include "TempDir.h"
#include "TestPictures.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/PngCodec.h"

namespace pixmoth {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Be32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

void PutBe32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

// Where the chunk of `type` starts (its length field); the file must have one.
std::size_t ChunkAt(const Bytes& png, const char* type) {
    for (std::size_t at = 8; at + 12 <= png.size(); at += 12 + Be32(&png[at])) {
        if (std::memcmp(&png[at + 4], type, 4) == 0) {
            return at;
        }
    }
    ADD_FAILURE() << "no " << type << " chunk";
    return 8;
}

// Sets the CRC of the chunk at `at` to match its type and data.
void FixCrc(Bytes& png, std::size_t at) {
    const std::uint32_t length = Be32(&png[at]);
    PutBe32(&png[at + 8 + length],
            static_cast<std::uint32_t>(::crc32(0, &png[at + 4], 4 + length)));
}

Bytes SamplePng() {
    return EncodePng(test::PatternBitmap(64, 48));
}

TEST(PngCodec, ReadsAndWritesEveryColourTypeAndDepthAsPillowDoes) {
    test::TempDir dir;
    const std::vector<std::string> names = test::MakeCases("png_cases.py", dir.Path());
    ASSERT_EQ(names.size(), 26u);
    std::string written;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const Bitmap expected = test::ReadPpm(dir / (name + ".ppm"));
        const Bitmap ours = LoadPng(dir / (name + ".png"));
        EXPECT_TRUE(test::SamePicture(ours, expected));
        const Bitmap ours32 = LoadPng(dir / (name + ".png"), PixelFormat::Bit32);
        Bitmap expected32 = expected;
        expected32.SetPixelFormat(PixelFormat::Bit32);
        EXPECT_TRUE(test::SamePicture(ours32, expected32));
        EXPECT_EQ(ours32.ScanLine(ours32.Height() - 1)[4 * ours32.Width() - 1], 255);
        const Bytes file = ReadFileBytes(dir / (name + ".png"));
        EXPECT_TRUE(test::SamePicture(DecodePng(file.data(), file.size()), expected));
        SavePng(ours, dir / (name + ".out.png"));
        EXPECT_TRUE(test::SamePicture(LoadPng(dir / (name + ".out.png")), expected));
        written += " " + name;
    }
    int status = 0;
    const std::string verdict =
        test::RunCommand(test::kPython + " " + test::CaseScript("png_cases.py") + " check " +
                             dir.Path() + written + " 2>&1",
                         status);
    EXPECT_EQ(status, 0) << verdict;
}

TEST(PngCodec, EveryPixelFormatIsWrittenLosslessly) {
    struct Case {
        PixelFormat format;
        int colourType;
        int depth;
    };
    const Case cases[] = {
        {PixelFormat::Bit1, 3, 1},  {PixelFormat::Bit4, 3, 4},  {PixelFormat::Bit8, 3, 8},
        {PixelFormat::Bit15, 2, 8}, {PixelFormat::Bit16, 2, 8}, {PixelFormat::Bit24, 2, 8},
        {PixelFormat::Bit32, 2, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(BitsPerPixel(c.format));
        // 37 pixels: rows of 1 and 4 bits end mid-byte.
        Bitmap picture = test::PatternBitmap(37, 5);
        picture.SetPixelFormat(c.format);
        const Bytes png = EncodePng(picture);
        ASSERT_GT(png.size(), 26u);
        EXPECT_EQ(png[24], c.depth);
        EXPECT_EQ(png[25], c.colourType);
        Bitmap expected = picture;
        expected.To24Bit();
        EXPECT_TRUE(test::SamePicture(DecodePng(png.data(), png.size()), expected));
    }
}

TEST(PngCodec, PicturesWiderThanLibpngsOwnLimitRoundTrip) {
    const Bitmap wide = test::PatternBitmap(1'000'001, 2);
    const Bytes png = EncodePng(wide);
    EXPECT_TRUE(test::SamePicture(DecodePng(png.data(), png.size()), wide));
}

TEST(PngCodec, DamagedFilesAreRefusedWithAMessageNamingTheFile) {
    struct Case {
        const char* name;
        std::function<void(Bytes&)> damage;
        const char* says;
    };
    const auto resize = [](std::size_t size) { return [=](Bytes& png) { png.resize(size); }; };
    const auto setSize = [](std::uint32_t width, std::uint32_t height) {
        return [=](Bytes& png) {
            PutBe32(&png[16], width);
            PutBe32(&png[20], height);
            FixCrc(png, 8);
        };
    };
    const Case cases[] = {
        {"empty", resize(0), "is not a PNG picture"},
        {"another format", [](Bytes& png) { png[1] = 'J'; }, "is not a PNG picture"},
        {"cut in the header", resize(20), "is truncated"},
        {"cut in the pixels", [](Bytes& png) { png.resize(ChunkAt(png, "IDAT") + 200); },
         "is truncated"},
        {"cut before the pixels", [](Bytes& png) { png.resize(ChunkAt(png, "IDAT")); },
         "is truncated"},
        {"wrong header checksum", [](Bytes& png) { png[29] ^= 1; }, "is damaged (IHDR: CRC error)"},
        {"wrong pixel checksum",
         [](Bytes& png) {
             const std::size_t at = ChunkAt(png, "IDAT");
             png[at + 8 + Be32(&png[at])] ^= 1;
         },
         "is damaged (IDAT: CRC error)"},
        {"garbled compressed data",
         [](Bytes& png) {
             const std::size_t at = ChunkAt(png, "IDAT");
             for (std::size_t i = 10; i < 40; ++i) {
                 png[at + 8 + i] ^= 0x5A;
             }
             FixCrc(png, at);
         },
         "is damaged"},
        {"bad colour type",
         [](Bytes& png) {
             png[25] = 5;
             FixCrc(png, 8);
         },
         "is damaged"},
        {"absurd size", setSize(100000, 100000),
         "claims a picture of 100000 x 100000 pixels, more than this program opens"},
        {"more than its data holds", setSize(10000, 10000),
         "claims a picture of 10000 x 10000 pixels in only"},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes png = SamplePng();
        c.damage(png);
        const std::string path = dir / (std::string(c.name) + ".png");
        WriteFileAtomically(path, png);
        try {
            LoadPng(path);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            const std::string text = error.what();
            EXPECT_EQ(text.rfind("PNG file \"" + path + "\" ", 0), 0u) << text;
            EXPECT_NE(text.find(c.says), std::string::npos) << text;
        }
    }
}

TEST(PngCodec, DamageOutsideThePictureDataCostsNothing) {
    const Bytes whole = SamplePng();
    const Bitmap expected = DecodePng(whole.data(), whole.size());
    // A text chunk with a wrong checksum before the pixels, and a file that
    // ends right after them.
    Bytes withText(whole.begin(), whole.begin() + 33);
    const Bytes text = {0, 0, 0, 4, 't', 'E', 'X', 't', 'a', 0, 'b', 'c', 1, 2, 3, 4};
    withText.insert(withText.end(), text.begin(), text.end());
    withText.insert(withText.end(), whole.begin() + 33, whole.end());
    Bytes noEnd = whole;
    noEnd.resize(ChunkAt(noEnd, "IEND"));
    for (const Bytes& png : {withText, noEnd}) {
        EXPECT_TRUE(test::SamePicture(DecodePng(png.data(), png.size()), expected));
    }
}

TEST(PngCodec, SizeComesFromTheHeaderAlone) {
    const Bytes png = EncodePng(test::PatternBitmap(300, 7));
    const PngSize size = ReadPngSize(png.data(), kPngHeadBytes);
    EXPECT_EQ(size.width, 300);
    EXPECT_EQ(size.height, 7);
    EXPECT_THROW(ReadPngSize(png.data(), 20), Error);
}

} // namespace
} // namespace pixmoth
