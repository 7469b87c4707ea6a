#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "TempDir.h"
#include "TestPictures.h"
#include "browse/thumbnails/FileNameOrder.h"
#include "browse/thumbnails/PictureListing.h"
#include "browse/thumbnails/ThumbnailBatch.h"
#include "browse/thumbnails/ThumbnailCache.h"
#include "browse/thumbnails/ThumbnailDrawing.h"
#include "browse/thumbnails/ThumbnailSource.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/JpegCodec.h"
#include "imaging/codecs/PngCodec.h"
#include "imaging/codecs/WmfTestFiles.h"

namespace pixmoth {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::vector<std::string> Names(const std::vector<PictureEntry>& entries) {
    std::vector<std::string> names;
    for (const PictureEntry& entry : entries) {
        names.push_back(entry.name);
    }
    return names;
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    test::WriteTextFile(path, std::string(bytes.begin(), bytes.end()));
}

// The drawing rules written out pixel by pixel: grey square; the 3-pixel
// black pen centred one pixel outside the bottom and right edges shows as
// their last row and column; silver one-pixel lines along the top (from the
// right, without x = 0) and the left (whole); the picture's pixel nearest to
// each pixel's centre inside (2, 2) .. (93, 93).
PaletteEntry ExpectedPixel(const Bitmap& picture, int x, int y) {
    if (x == 0 || y == 0) {
        return {192, 192, 192, 0};
    }
    if (x == 95 || y == 95) {
        return {0, 0, 0, 0};
    }
    if (x >= 2 && x < 93 && y >= 2 && y < 93) {
        return picture.PixelColor((2 * (x - 2) + 1) * picture.Width() / 182,
                                  (2 * (y - 2) + 1) * picture.Height() / 182);
    }
    return {128, 128, 128, 0};
}

TEST(ThumbnailDrawing, AWidePictureIsSquashedIntoTheFramedSquare) {
    const Bitmap picture = test::PatternBitmap(1000, 10);
    const Bitmap thumb = DrawThumbnail(picture);
    ASSERT_EQ(thumb.Width(), 96);
    ASSERT_EQ(thumb.Height(), 96);
    const Bitmap blank = BlankThumbnail();
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 96; ++x) {
            const PaletteEntry expected = ExpectedPixel(picture, x, y);
            ASSERT_EQ(thumb.PixelColor(x, y), expected) << x << ", " << y;
            const bool inside = x >= 2 && x < 93 && y >= 2 && y < 93;
            ASSERT_EQ(blank.PixelColor(x, y), (inside ? PaletteEntry{128, 128, 128, 0} : expected))
                << x << ", " << y;
        }
    }
}

TEST(PictureListing, ListsPictureFilesByNameIgnoringCase) {
    TempDir dir;
    for (const char* name : {"b2.jpg", "a.jpg", "B.BMP", "c.Wmf", "A1.bmp", "d.jpeg", "e.gif", "f",
                             "g.PNG", ".hidden.jpg", "x.jpg.txt"}) {
        test::WriteTextFile(dir / name, "x");
    }
    fs::create_directory(dir / "old.jpg");
    fs::create_directory_symlink(dir / "old.jpg", dir / "link.bmp");
    fs::create_symlink(dir / "missing", dir / "dangling.wmf");
    fs::create_symlink(dir / "a.jpg", dir / "z.JPG");
    const std::vector<PictureEntry> entries = CollectPictureFiles(dir.Path());
    EXPECT_EQ(Names(entries), (std::vector<std::string>{".hidden.jpg", "a.jpg", "A1.bmp", "B.BMP",
                                                        "b2.jpg", "c.Wmf", "g.PNG", "z.JPG"}));
    EXPECT_EQ(entries[1].path, dir / "a.jpg");
    EXPECT_EQ(entries[1].size, 1u);
    EXPECT_EQ(CollectPictureFiles(dir.Path() + "/")[1].path, dir / "a.jpg");
    EXPECT_TRUE(CollectPictureFiles(dir / "missing").empty());
    EXPECT_TRUE(CollectPictureFiles(dir / "a.jpg").empty());
    if (::geteuid() != 0) { // root reads every directory
        fs::permissions(dir.Path(), fs::perms::owner_read, fs::perm_options::remove);
        EXPECT_TRUE(CollectPictureFiles(dir.Path()).empty());
    }
}

TEST(FileNameOrder, LettersCompareWithoutCaseThenByBytes) {
    struct Case {
        const char* a;
        const char* b;
        bool less;
    };
    const Case cases[] = {
        {"A", "b", true},
        {"b", "C", true},
        {"b", "A", false},
        {"b", "_a", true}, // by capitals: "_" comes after the letters
        {"AB", "ab", true},
        {"ab", "AB", false},
        {"ab", "ab", false},
        {"a", "ab", true},
        {"a.jpg", "A1.bmp", true},
        {"apfel", "\xC3\x84pfel", true},  // apfel < Äpfel
        {"\xC3\xA4x", "\xC3\x84y", true}, // äx < Äy
        {"\xD0\xB0", "\xD0\xAF", true},   // Cyrillic а < Я
        {"\xC5\xB9", "\xC5\xBB", true},   // Ź < Ż (pairs starting odd)
        {"\xFF", "a", false},             // not UTF-8: the byte itself
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileNameLess(c.a, c.b), c.less) << c.a << " < " << c.b;
    }
}

TEST(ThumbnailSource, EachKindComesAtTheCheapestSizeThatFillsTheSquare) {
    TempDir dir;
    SaveJpeg(test::PatternBitmap(800, 600), dir / "photo.JPG");
    SaveBmp(test::PatternBitmap(300, 7), dir / "strip.bmp");
    SavePng(test::PatternBitmap(120, 9), dir / "screen.png");
    test::WriteTextFile(dir / "broken.png", "not a picture");
    WriteBytes(dir / "drawing.wmf",
               test::WmfWriter().Placeable({0, 0, 9600, 4800}, 960).Rectangle(0, 0, 5, 5).Bytes());
    WriteBytes(dir / "empty.wmf", test::WmfWriter().Bytes());
    test::WriteTextFile(dir / "broken.jpg", "not a picture");
    // Two gigabytes of nothing: refused from its first bytes, not read whole.
    test::WriteTextFile(dir / "huge.jpg", "");
    ASSERT_EQ(::truncate((dir / "huge.jpg").c_str(), (std::int64_t{2} << 30) - 1), 0);
    std::vector<std::pair<int, int>> rendered;
    const WmfRenderer renderer = [&](const WmfFile&, int width, int height) {
        rendered.emplace_back(width, height);
        return test::SolidBitmap(width, height, 0, 0, 255);
    };
    struct Case {
        const char* name;
        int width, height;
        bool blank;
        const char* error; // part of the error text, or null
    };
    const Case cases[] = {
        {"photo.JPG", 200, 150, false, nullptr}, // 1/4: 1/8 would be 75 high
        {"strip.bmp", 300, 7, false, nullptr},
        {"screen.png", 120, 9, false, nullptr},
        {"broken.png", 0, 0, true, "broken.png\" is not a PNG picture"},
        {"drawing.wmf", 182, 91, false, nullptr}, // 960 x 480 own size
        {"empty.wmf", 0, 0, true, nullptr},
        {"broken.jpg", 0, 0, true, "Cannot read JPEG file"},
        {"huge.jpg", 0, 0, true, "huge.jpg\": Not a JPEG file: starts with 0x00 0x00"},
        {"gone.bmp", 0, 0, true, "gone.bmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Thumbnail thumb = MakeThumbnail(dir / c.name, renderer);
        EXPECT_EQ(thumb.image.Width(), 96);
        EXPECT_EQ(test::SamePicture(thumb.image, BlankThumbnail()), c.blank);
        if (c.error != nullptr) {
            EXPECT_NE(thumb.error.find(c.error), std::string::npos) << thumb.error;
        } else {
            EXPECT_EQ(thumb.error, "");
            const Bitmap source = LoadThumbSource(dir / c.name, renderer);
            EXPECT_EQ(source.Width(), c.width);
            EXPECT_EQ(source.Height(), c.height);
        }
    }
    EXPECT_EQ(rendered, (std::vector<std::pair<int, int>>{{182, 91}, {182, 91}}));
    EXPECT_NE(MakeThumbnail(dir / "drawing.wmf", nullptr).error.find("not drawn"),
              std::string::npos);
}

TEST(ThumbnailBatch, EveryFileOnceTheFirstAloneAndNoneStartedAfterCancel) {
    TempDir dir;
    WriteBytes(dir / "a.wmf", test::WmfWriter().Window(0, 0, 10, 10).Rectangle(0, 0, 5, 5).Bytes());
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<int> made;
    int rendering = 0;
    int released = 1000; // the files that may finish, in the order they start
    const WmfRenderer renderer = [&](const WmfFile&, int width, int height) {
        std::unique_lock lock(mutex);
        const int started = ++rendering;
        changed.notify_all();
        changed.wait(lock, [&] { return started <= released; });
        return Bitmap(width, height);
    };
    const auto done = [&](std::size_t index, Thumbnail thumb) {
        const std::lock_guard lock(mutex);
        made.push_back(static_cast<int>(index));
        EXPECT_EQ(thumb.error, "");
    };
    {
        ThumbnailBatch batch(std::vector<std::string>(30, dir / "a.wmf"), renderer, done);
        batch.Wait();
        EXPECT_TRUE(batch.Finished());
    }
    ASSERT_EQ(made.size(), 30u);
    EXPECT_EQ(made[0], 0);
    std::sort(made.begin(), made.end());
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(made[static_cast<std::size_t>(i)], i);
    }

    // While the first file is made nothing else starts; then every worker
    // takes one, and cancelled, each finishes its own only.
    made.clear();
    rendering = 0;
    released = 0;
    const int workers = static_cast<int>(std::min(2u, std::thread::hardware_concurrency()));
    ThumbnailBatch batch(std::vector<std::string>(30, dir / "a.wmf"), renderer, done, 2);
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return rendering == 1; });
        EXPECT_FALSE(
            changed.wait_for(lock, std::chrono::milliseconds(100), [&] { return rendering > 1; }));
        released = 1;
        changed.notify_all();
        changed.wait(lock, [&] { return rendering == 1 + workers; });
        batch.Cancel();
        released = 1000;
        changed.notify_all();
    }
    batch.Wait();
    EXPECT_EQ(made.size(), static_cast<std::size_t>(rendering));
    EXPECT_EQ(made[0], 0);
}

TEST(ThumbnailCache, KeepsThumbnailsWhileTheFileIsUnchanged) {
    ThumbnailCache<int> cache(2);
    const PictureEntry a{"a.jpg", "/p/a.jpg", 10, 100};
    const PictureEntry b{"b.jpg", "/p/b.jpg", 10, 100};
    const PictureEntry c{"c.jpg", "/p/c.jpg", 10, 100};
    cache.Store(a, 1);
    cache.Store(b, 2);
    ASSERT_NE(cache.Find(a), nullptr);
    EXPECT_EQ(*cache.Find(a), 1);
    cache.Store(c, 3); // b is the least recently used
    EXPECT_EQ(cache.Find(b), nullptr);
    EXPECT_EQ(*cache.Find(c), 3);
    PictureEntry changed = a;
    changed.modified = 101;
    EXPECT_EQ(cache.Find(changed), nullptr);
    EXPECT_EQ(cache.Find(a), nullptr); // the stale one is gone
    changed = c;
    changed.size = 11;
    EXPECT_EQ(cache.Find(changed), nullptr);
    EXPECT_EQ(cache.Size(), 0u);
}

} // namespace
} // namespace pixmoth
