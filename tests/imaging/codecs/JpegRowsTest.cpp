#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "JpegTestFiles.h"
#include "TempDir.h"
#include "TestPictures.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/JpegCodec.h"

namespace pixmoth {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::MakeTestJpeg;
using test::TestJpegOptions;

// Collects the rows into a bitmap through a room of at most `room` rows, and
// checks the order of calls.
class Collector : public RowReceiver {
public:
    explicit Collector(int room) : mRoom(room) {}
    void Begin(int width, int height) override {
        EXPECT_EQ(mBegun, 0) << "Begin twice";
        ++mBegun;
        picture.Reset(width, height, PixelFormat::Bit24);
    }
    int Room() override {
        EXPECT_EQ(mBegun, 1) << "Room before Begin";
        return std::min(mRoom, picture.Height() - mNext);
    }
    std::uint8_t* Row(int k) override {
        EXPECT_LT(k, Room());
        mRows.resize(static_cast<std::size_t>(std::max(k + 1, static_cast<int>(mRows.size()))));
        mRows[static_cast<std::size_t>(k)].assign(static_cast<std::size_t>(picture.Width()) * 3, 0);
        return mRows[static_cast<std::size_t>(k)].data();
    }
    void Commit(int rows) override {
        EXPECT_LE(rows, Room());
        for (int k = 0; k < rows; ++k) {
            std::memcpy(picture.ScanLine(mNext + k), mRows[static_cast<std::size_t>(k)].data(),
                        mRows[static_cast<std::size_t>(k)].size());
        }
        mNext += rows;
    }
    bool Complete() const { return mBegun == 1 && mNext == picture.Height(); }
    bool Untouched() const { return mBegun == 0; }

    Bitmap picture;

private:
    int mRoom;
    int mBegun = 0;
    int mNext = 0;
    std::vector<Bytes> mRows;
};

Bytes RgbSamples(const Bitmap& bitmap) {
    Bytes samples;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            const std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
            samples.insert(samples.end(), {p[2], p[1], p[0]});
        }
    }
    return samples;
}

TEST(JpegRows, GiveTheRowsLoadJpegGivesInOrder) {
    const Bitmap pattern = test::PatternBitmap(37, 29);
    const Bytes samples = RgbSamples(pattern);
    Bytes grey(37 * 29);
    for (std::size_t i = 0; i < grey.size(); ++i) {
        grey[i] = static_cast<std::uint8_t>(i * 7);
    }
    Bytes cmyk;
    for (std::size_t i = 0; i < grey.size(); ++i) {
        cmyk.insert(cmyk.end(), {grey[i], std::uint8_t(255 - grey[i]), 40, std::uint8_t(i)});
    }
    TestJpegOptions progressive;
    progressive.progressive = true;
    TestJpegOptions greyOptions;
    greyOptions.inSpace = greyOptions.fileSpace = JCS_GRAYSCALE;
    TestJpegOptions ycck;
    ycck.inSpace = JCS_CMYK;
    ycck.fileSpace = JCS_YCCK;
    TestJpegOptions upright;
    upright.app1 = {test::ExifPayload(false, 1)};
    const Bytes baseline = EncodeJpeg(pattern);
    // Adobe CMYK, 24 x 1040, magenta sampled at a quarter of the height, its
    // data ending after a few rows: decoding stops well above the last row,
    // and where it stops must not show, whatever the room (found by fuzzing).
    const Bytes cmykCut = {
        0xFF, 0xD8, 0xFF, 0xEE, 0x00, 0x0E, 0x41, 0x64, 0x6F, 0x62, 0x65, 0x00, 0x64, 0x00, 0x00,
        0x00, 0x58, 0x00, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x08, 0x06, 0x06, 0x07, 0x06, 0x05, 0x08,
        0x07, 0x07, 0x07, 0x01, 0x02, 0x09, 0x09, 0x08, 0x06, 0x0C, 0x14, 0x0D, 0x0C, 0x0B, 0x0B,
        0x0C, 0x19, 0x12, 0x13, 0x1D, 0x1A, 0x1F, 0x1E, 0x1D, 0x1A, 0x1C, 0x1C, 0x20, 0x24, 0x2E,
        0x27, 0x20, 0x22, 0x2C, 0x23, 0x1C, 0x1C, 0x28, 0x34, 0x29, 0x2C, 0x30, 0x31, 0x34, 0x34,
        0x34, 0x1F, 0x27, 0x39, 0x3D, 0x38, 0x32, 0x3C, 0x2E, 0x33, 0x34, 0xD0, 0xFF, 0xC0, 0x00,
        0x14, 0x08, 0x04, 0x10, 0x00, 0x18, 0x04, 0x43, 0x11, 0x00, 0x4D, 0x14, 0x00, 0x59, 0x11,
        0x00, 0x4B, 0x11, 0x00, 0x00, 0x00, 0x00, 0xFA, 0xFF, 0xDA, 0x00, 0x0E, 0x04, 0x43, 0x00,
        0x4D, 0x00, 0x59, 0x00, 0x4B, 0x00, 0x00, 0x3F, 0x00};
    struct Case {
        const char* what;
        Bytes file;
    };
    const std::vector<Case> cases = {
        {"baseline 4:2:0", baseline},
        {"progressive", MakeTestJpeg(37, 29, samples, progressive)},
        {"grey", MakeTestJpeg(37, 29, grey, greyOptions)},
        {"YCCK", MakeTestJpeg(37, 29, cmyk, ycck)},
        {"Exif orientation 1", MakeTestJpeg(37, 29, samples, upright)},
        {"cut in the middle of its data (grey below)",
         Bytes(baseline.begin(), baseline.begin() + static_cast<long>(baseline.size() * 2 / 3))},
        {"CMYK cut early", cmykCut},
    };
    test::TempDir temp;
    const std::string path = temp / "picture.jpg";
    for (const Case& c : cases) {
        WriteFileAtomically(path, c.file);
        const Bitmap expected = LoadJpeg(path);
        for (int room : {1, 5, 100}) {
            Collector rows(room);
            ASSERT_TRUE(LoadJpegRows(path, rows)) << c.what;
            EXPECT_TRUE(rows.Complete()) << c.what << ", room " << room;
            EXPECT_TRUE(test::SamePicture(rows.picture, expected)) << c.what << ", room " << room;
        }
    }
}

TEST(JpegRows, PicturesTheExifTurnsAreLeftToLoadJpeg) {
    const Bytes samples = RgbSamples(test::PatternBitmap(16, 8));
    test::TempDir temp;
    const std::string path = temp / "turned.jpg";
    for (unsigned orientation : {2u, 3u, 6u, 8u}) {
        TestJpegOptions options;
        options.app1 = {test::ExifPayload(true, orientation)};
        WriteFileAtomically(path, MakeTestJpeg(16, 8, samples, options));
        Collector rows(4);
        EXPECT_FALSE(LoadJpegRows(path, rows)) << orientation;
        EXPECT_TRUE(rows.Untouched()) << orientation;
    }
}

TEST(JpegRows, ErrorsNameTheFileAsLoadJpegDoes) {
    test::TempDir temp;
    const std::string path = temp / "not.jpg";
    WriteFileAtomically(path, Bytes{'B', 'M', 1, 2, 3});
    std::string expected;
    try {
        LoadJpeg(path);
    } catch (const Error& error) {
        expected = error.what();
    }
    Collector rows(4);
    try {
        LoadJpegRows(path, rows);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(error.what(), expected);
        EXPECT_NE(expected.find(path), std::string::npos) << expected;
    }
    EXPECT_TRUE(rows.Untouched());
}

} // namespace
} // namespace pixmoth
