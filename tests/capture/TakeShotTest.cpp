#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "TempDir.h"
#include "TestPictures.h"
#include "capture/TakeShot.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/JpegCodec.h"

namespace pixmoth {
namespace {

using test::SamePicture;

// What a shot of `area` must hold, cut out independently of the shot code.
Bitmap Expected(const Bitmap& screen, const Rect& area) {
    Bitmap cut(area.Width(), area.Height());
    cut.Draw(-area.left, -area.top, screen);
    return cut;
}

// The encoder is deterministic, so the file must be exactly the JPEG of the
// expected pixels.
::testing::AssertionResult HoldsJpegOf(const std::string& path, const Bitmap& expected) {
    if (ReadFileBytes(path) != EncodeJpeg(expected, 90)) {
        const Bitmap shot = LoadJpeg(path);
        return ::testing::AssertionFailure()
               << path << " holds another picture, " << shot.Width() << "x" << shot.Height();
    }
    return ::testing::AssertionSuccess();
}

TEST(CutShotAreaTest, CopiesExactlyTheAreaFromEitherScreenDepth) {
    const Bitmap screen24 = test::PatternBitmap(50, 40);
    Bitmap screen32(screen24);
    screen32.SetPixelFormat(PixelFormat::Bit32);
    Bitmap expected(17, 9);
    expected.Draw(-5, -7, screen24);
    EXPECT_TRUE(SamePicture(CutShotArea(screen24, {5, 7, 22, 16}), expected));
    EXPECT_TRUE(SamePicture(CutShotArea(screen32, {5, 7, 22, 16}), expected));
}

class TakeShotTest : public ::testing::Test {
protected:
    std::string Shots() const { return mDir.Path() + "/Shots/"; }
    test::TempDir mDir;
};

TEST_F(TakeShotTest, StoresTheInsideOfTheDraggedOutline) {
    Bitmap screen = test::PatternBitmap(320, 240);
    const Bitmap expected = Expected(screen, {101, 51, 299, 199}); // 198 x 148
    screen.SetPixelFormat(PixelFormat::Bit32);                     // as grabbed from the screen
    const std::string path = TakeShot(screen, 3, {300, 200, 100, 50}, Shots());
    EXPECT_EQ(path, Shots() + "SShot3_0.jpg");
    EXPECT_TRUE(HoldsJpegOf(path, expected));
}

TEST_F(TakeShotTest, NothingSelectedStoresTheScreenLessABorder) {
    const Bitmap screen = test::PatternBitmap(160, 120);
    const std::string path = TakeShot(screen, 12, {}, Shots());
    EXPECT_EQ(path, Shots() + "SShot12_0.jpg");
    EXPECT_TRUE(HoldsJpegOf(path, Expected(screen, {1, 1, 159, 119})));
}

TEST_F(TakeShotTest, RepeatedShotsCountUpPerSeries) {
    const Bitmap screen = test::PatternBitmap(64, 48);
    EXPECT_EQ(TakeShot(screen, 3, {}, Shots()), Shots() + "SShot3_0.jpg");
    EXPECT_EQ(TakeShot(screen, 3, {}, Shots()), Shots() + "SShot3_1.jpg");
    EXPECT_EQ(TakeShot(screen, 1, {}, Shots()), Shots() + "SShot1_0.jpg");
    EXPECT_EQ(TakeShot(screen, 3, {}, Shots()), Shots() + "SShot3_2.jpg");
}

TEST_F(TakeShotTest, SelectionWithoutInsideWritesNothing) {
    const Bitmap screen = test::PatternBitmap(64, 48);
    EXPECT_THROW(TakeShot(screen, 3, {10, 10, 12, 40}, Shots()), Error);
    EXPECT_FALSE(std::filesystem::exists(Shots() + "SShot3_0.jpg"));
}

TEST_F(TakeShotTest, UnwritableFolderIsAnErrorNamingTheFile) {
    const Bitmap screen = test::PatternBitmap(64, 48);
    const std::string blocked = mDir / "blocked";
    test::WriteTextFile(blocked, "a file where the folder should be");
    try {
        TakeShot(screen, 5, {}, blocked + "/Shots/");
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find("SShot5_0.jpg"), std::string::npos)
            << error.what();
    }
}

} // namespace
} // namespace pixmoth
