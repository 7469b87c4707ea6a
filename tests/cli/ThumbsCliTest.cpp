#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TempDir.h"
#include "TestPictures.h"
#include "browse/thumbnails/ThumbnailDrawing.h"
#include "cli/CliRunner.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/JpegCodec.h"
#include "imaging/codecs/WmfTestFiles.h"

namespace pixmoth {
namespace {

using test::RunCli;
using test::TempDir;

Bitmap Part(const Bitmap& strip, int index) {
    Bitmap thumb(kThumbSize, kThumbSize);
    thumb.Draw(-kThumbSize * index, 0, strip);
    return thumb;
}

TEST(ThumbsCli, ListsCaptionsAndWritesTheThumbnailsInListingOrder) {
    TempDir temp;
    const std::string dir = temp / "pictures";
    std::filesystem::create_directories(dir + "/old.jpg");
    const Bitmap wide = test::PatternBitmap(1000, 10);
    SaveBmp(wide, dir + "/B.BMP");
    SaveJpeg(test::PatternBitmap(400, 300), dir + "/a.jpg");
    const std::vector<std::uint8_t> wmf = test::WmfWriter()
                                              .Window(0, 0, 100, 100)
                                              .Brush(0, 255, 0, 0)
                                              .Select(0)
                                              .Pen(5, 0, 0, 0, 0) // no outline
                                              .Select(1)
                                              .Rectangle(0, 0, 100, 100)
                                              .Bytes();
    test::WriteTextFile(dir + "/c.Wmf", std::string(wmf.begin(), wmf.end()));
    test::WriteTextFile(dir + "/broken.jpg", "not a picture");
    test::WriteTextFile(dir + "/notes.txt", "");

    const test::Outcome outcome = RunCli(temp, {"thumbs", dir, "--out", temp / "strip.bmp"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "a.jpg\nB.BMP\nbroken.jpg\nc.Wmf\n");
    EXPECT_NE(outcome.err.find("broken.jpg"), std::string::npos) << outcome.err;

    const Bitmap strip = LoadBmp(temp / "strip.bmp");
    ASSERT_EQ(strip.Width(), 4 * kThumbSize);
    ASSERT_EQ(strip.Height(), kThumbSize);
    const std::vector<std::uint8_t> jpeg = ReadFileBytes(dir + "/a.jpg");
    EXPECT_TRUE(test::SamePicture(
        Part(strip, 0), DrawThumbnail(DecodeJpegAtLeast(jpeg.data(), jpeg.size(), 91, 91))));
    EXPECT_TRUE(test::SamePicture(Part(strip, 1), DrawThumbnail(wide)));
    EXPECT_TRUE(test::SamePicture(Part(strip, 2), BlankThumbnail()));
    // The metafile fills the square with red.
    EXPECT_TRUE(
        test::SamePicture(Part(strip, 3), DrawThumbnail(test::SolidBitmap(91, 91, 0, 0, 255))));
}

TEST(ThumbsCli, RefusesWhatItCannotList) {
    TempDir temp;
    std::filesystem::create_directories(temp / "empty");
    struct Case {
        std::vector<std::string> words;
        const char* message;
    };
    const Case cases[] = {
        {{"thumbs", temp / "missing"}, "is not a directory"},
        {{"thumbs", temp / "empty", "--out", temp / "strip.gif"},
         "must end in .jpg, .jpeg, .bmp or .png"},
        {{"thumbs", temp / "empty", "--out", temp / "strip.bmp"}, "holds no pictures"},
        {{"thumbs"}, "pixmoth-cli thumbs DIR"},
    };
    for (const Case& c : cases) {
        const test::Outcome outcome = RunCli(temp, c.words);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
    }
    EXPECT_FALSE(std::filesystem::exists(temp / "strip.bmp"));
}

} // namespace
} // namespace pixmoth
