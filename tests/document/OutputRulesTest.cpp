#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TempDir.h"
#include "TestPictures.h"
#include "document/SelectionCopy.h"
#include "document/WallpaperCopy.h"
#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/PictureFile.h"

namespace pixmoth {
namespace {

constexpr int kToolBar = 20;

TEST(SelectedPictureRect, OrdersCornersTakesTheToolBarOffAndFollowsTheZoom) {
    struct Case {
        const char* meaning;
        Selection selection;
        int control[2]; // the image control's size; the picture is 100 x 50
        Rect expected;
    };
    const int top = kToolBar;
    const std::vector<Case> cases = {
        {"dragged down to the right", {10, 10 + top, 50, 40 + top}, {100, 50}, {10, 10, 50, 40}},
        {"dragged up to the left", {50, 40 + top, 10, 10 + top}, {100, 50}, {10, 10, 50, 40}},
        {"select all", {0, top, 100, 50 + top}, {100, 50}, {0, 0, 100, 50}},
        {"past the picture's edges", {-5, top - 9, 130, 70 + top}, {100, 50}, {0, 0, 100, 50}},
        {"wholly beside the picture", {110, top, 130, 30 + top}, {100, 50}, {}},
        {"a line has no area", {10, 10 + top, 10, 40 + top}, {100, 50}, {}},
        {"zoomed in twice", {20, 10 + top, 60, 30 + top}, {200, 100}, {10, 5, 30, 15}},
        {"zoomed in, pixels partly covered",
         {21, 11 + top, 59, 29 + top},
         {200, 100},
         {10, 5, 30, 15}},
        {"zoomed out, select all", {0, top, 85, 42 + top}, {85, 42}, {0, 0, 100, 50}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SelectedPictureRect(c.selection, kToolBar, c.control[0], c.control[1], 100, 50),
                  c.expected)
            << c.meaning;
    }
}

TEST(CopyPictureRect, CopiesThePixelsOfTheRectangleExactlyAs24Bit) {
    Bitmap picture = test::PatternBitmap(30, 20);
    picture.SetPixelFormat(PixelFormat::Bit32);
    const Bitmap copy = CopyPictureRect(picture, Rect{7, 3, 19, 17});
    ASSERT_EQ(copy.Width(), 12);
    ASSERT_EQ(copy.Height(), 14);
    EXPECT_EQ(copy.Format(), PixelFormat::Bit24);
    for (int y = 0; y < copy.Height(); ++y) {
        for (int x = 0; x < copy.Width(); ++x) {
            ASSERT_EQ(copy.PixelColor(x, y), picture.PixelColor(x + 7, y + 3)) << x << "," << y;
        }
    }
}

TEST(WallpaperCopy, KeepsTheStoredFileUnderANewNameAndRemovesTheOlderCopies) {
    test::TempDir program;
    const std::string directory = program.Path() + "/";
    test::TempDir pictures;
    const std::string photo = pictures / "Photo.JPG";
    test::WriteTextFile(photo, "stored bytes");
    test::WriteTextFile(directory + "Wallpaper-notes.txt", "not a copy");
    const Bitmap edited = test::PatternBitmap(4, 3);

    const std::string first = MakeWallpaperCopy(directory, photo, edited);
    EXPECT_EQ(first, directory + "Wallpaper-1.jpg");
    EXPECT_EQ(test::ReadTextFile(first), "stored bytes") << "unsaved edits are not in it";
    const std::string second = MakeWallpaperCopy(directory, photo, edited);
    EXPECT_EQ(second, directory + "Wallpaper-2.jpg") << "the desktop shows the first one";
    RemoveOtherWallpaperCopies(directory, second);
    EXPECT_FALSE(std::filesystem::exists(first));
    EXPECT_TRUE(std::filesystem::exists(second));
    EXPECT_TRUE(std::filesystem::exists(directory + "Wallpaper-notes.txt"));
    EXPECT_EQ(MakeWallpaperCopy(directory, photo, edited), first) << "the freed name is reused";

    // A picture without a file is written as it is shown.
    const std::string pasted = MakeWallpaperCopy(directory, "", edited);
    EXPECT_EQ(pasted, directory + "Wallpaper-3.jpg");
    EXPECT_EQ(LoadPicture(pasted).Width(), 4);

    EXPECT_THROW(MakeWallpaperCopy(directory, pictures / "gone.bmp", edited), std::exception);
}

} // namespace
} // namespace pixmoth
