#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestPictures.h"
#include "imaging/effects/TransformKernels.h"
#include "imaging/effects/Transforms.h"

namespace pixmoth {
namespace {

using test::PatternBitmap;
using test::SamePicture;

// The reference mapping, pixel by pixel, without tiling.
Bitmap NaiveRotate(const Bitmap& source, bool clockwise) {
    const int w = source.Width();
    const int h = source.Height();
    Bitmap out(h, w);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (clockwise) {
                out.SetPixelColor(h - 1 - y, x, source.PixelColor(x, y));
            } else {
                out.SetPixelColor(y, w - 1 - x, source.PixelColor(x, y));
            }
        }
    }
    return out;
}

TEST(Rotate, MovesEveryPixelWhereTheTurnPutsIt) {
    // Sizes around the tile edge, odd widths whose rows carry padding, and thin strips.
    const std::vector<std::pair<int, int>> sizes = {{3, 2},   {1, 7},  {7, 1},   {31, 33},
                                                    {32, 32}, {65, 3}, {67, 45}, {1, 1}};
    for (const auto& [w, h] : sizes) {
        for (bool clockwise : {true, false}) {
            Bitmap source = PatternBitmap(w, h);
            const Bitmap expected = NaiveRotate(source, clockwise);
            Bitmap result;
            if (clockwise) {
                RotateRight(source, result);
            } else {
                RotateLeft(source, result);
            }
            EXPECT_TRUE(SamePicture(result, expected))
                << w << "x" << h << (clockwise ? " right" : " left");
        }
    }
}

TEST(Rotate, TopRowBecomesTheRightColumnOrTheLeftColumnUpwards) {
    Bitmap source(3, 2);
    const std::uint8_t top[] = {1, 1, 1, 2, 2, 2, 3, 3, 3};
    const std::uint8_t bottom[] = {4, 4, 4, 5, 5, 5, 6, 6, 6};
    source.WriteRowBgr(0, 0, 3, top);
    source.WriteRowBgr(1, 0, 3, bottom);
    Bitmap right;
    RotateRight(source, right);
    ASSERT_EQ(right.Width(), 2);
    ASSERT_EQ(right.Height(), 3);
    // Rows of the result, left to right: (4,1), (5,2), (6,3).
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(right.ScanLine(y)[0], 4 + y);
        EXPECT_EQ(right.ScanLine(y)[3], 1 + y);
    }
    Bitmap left;
    RotateLeft(source, left);
    // Rows of the result: (3,6), (2,5), (1,4).
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(left.ScanLine(y)[0], 3 - y);
        EXPECT_EQ(left.ScanLine(y)[3], 6 - y);
    }
}

TEST(Rotate, FourRightTurnsOrRightThenLeftGiveThePictureBack) {
    const Bitmap original = PatternBitmap(37, 21);
    Bitmap a = original;
    Bitmap b;
    for (int i = 0; i < 2; ++i) {
        RotateRight(a, b);
        RotateRight(b, a);
    }
    EXPECT_TRUE(SamePicture(a, original));
    Bitmap c = original;
    RotateRight(c, b);
    RotateLeft(b, c);
    EXPECT_TRUE(SamePicture(c, original));
}

TEST(Rotate, SourceAndDestinationMayBeTheSameBitmap) {
    Bitmap picture = PatternBitmap(5, 3);
    const Bitmap expected = NaiveRotate(picture, true);
    RotateRight(picture, picture);
    EXPECT_TRUE(SamePicture(picture, expected));
}

TEST(Flip, ReversesRowsOrColumnsAndUndoesItself) {
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{5, 4}, {4, 5}, {1, 1}, {2, 1}}) {
        const Bitmap original = PatternBitmap(w, h);
        Bitmap right = original;
        FlipRight(right);
        Bitmap down = original;
        FlipDown(down);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                EXPECT_EQ(right.PixelColor(x, y), original.PixelColor(w - 1 - x, y));
                EXPECT_EQ(down.PixelColor(x, y), original.PixelColor(x, h - 1 - y));
            }
        }
        FlipRight(right);
        FlipDown(down);
        EXPECT_TRUE(SamePicture(right, original));
        EXPECT_TRUE(SamePicture(down, original));
    }
}

TEST(Mirror, CopiesTheFirstHalfOverTheSecond) {
    for (int size : {4, 5}) {
        const Bitmap original = PatternBitmap(size, size);
        Bitmap vertical = original;
        MirrorVertical(vertical);
        Bitmap horizontal = original;
        MirrorHorizontal(horizontal);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                // The first half (and an odd middle) stays; the rest mirrors it.
                const int mx = x < (size + 1) / 2 ? x : size - 1 - x;
                EXPECT_EQ(vertical.PixelColor(x, y), original.PixelColor(mx, y)) << size;
                EXPECT_EQ(horizontal.PixelColor(y, x), original.PixelColor(y, mx)) << size;
            }
        }
    }
    Bitmap oneRow = PatternBitmap(6, 1);
    const Bitmap before = oneRow;
    MirrorHorizontal(oneRow);
    EXPECT_TRUE(SamePicture(oneRow, before));
}

TEST(Transforms, OnePixelPicturesStayTheSame) {
    const Bitmap pixel = PatternBitmap(1, 1);
    const std::vector<std::function<void(Bitmap&)>> inPlace = {FlipRight, FlipDown,
                                                               MirrorHorizontal, MirrorVertical};
    for (const auto& op : inPlace) {
        Bitmap b = pixel;
        op(b);
        EXPECT_TRUE(SamePicture(b, pixel));
    }
    Bitmap source = pixel;
    Bitmap out;
    RotateRight(source, out);
    EXPECT_TRUE(SamePicture(out, pixel));
    RotateLeft(source, out);
    EXPECT_TRUE(SamePicture(out, pixel));
}

TEST(Transforms, PaletteInputComesOutAsItsTwentyFourBitEquivalent) {
    Bitmap indexed(5, 3, PixelFormat::Bit8);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            indexed.ScanLine(y)[x] = static_cast<std::uint8_t>(x * 40 + y * 7);
        }
    }
    Bitmap rgb = indexed;
    rgb.To24Bit();
    const std::vector<std::function<void(Bitmap&)>> inPlace = {FlipRight, FlipDown,
                                                               MirrorHorizontal, MirrorVertical};
    for (const auto& op : inPlace) {
        Bitmap a = indexed;
        Bitmap b = rgb;
        op(a);
        op(b);
        EXPECT_EQ(a.Format(), PixelFormat::Bit24);
        EXPECT_TRUE(SamePicture(a, b));
    }
    Bitmap a = indexed;
    Bitmap b = rgb;
    Bitmap ra;
    Bitmap rb(2, 2, PixelFormat::Bit4); // the destination's own format does not matter
    RotateRight(a, ra);
    RotateRight(b, rb);
    EXPECT_EQ(rb.Format(), PixelFormat::Bit24);
    EXPECT_TRUE(SamePicture(ra, rb));
}

// The in-place operations exactly as their loops are defined, a pixel at a time.
Bitmap NaiveFlip(const Bitmap& bitmap, bool right) {
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    Bitmap work(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            work.SetPixelColor(
                x, y, right ? bitmap.PixelColor(w - 1 - x, y) : bitmap.PixelColor(x, h - 1 - y));
        }
    }
    return work;
}

Bitmap NaiveMirror(const Bitmap& bitmap, bool vertical) {
    Bitmap out = bitmap;
    const int w = out.Width();
    const int h = out.Height();
    if (vertical) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x <= w / 2; ++x) {
                out.SetPixelColor(w - 1 - x, y, out.PixelColor(x, y));
            }
        }
    } else {
        for (int y = 0; y <= h / 2; ++y) {
            for (int x = 0; x < w; ++x) {
                out.SetPixelColor(x, h - 1 - y, out.PixelColor(x, y));
            }
        }
    }
    return out;
}

// Row padding must stay zero: vector stores that run past a row would show here.
::testing::AssertionResult PaddingIsZero(const Bitmap& bitmap) {
    const int used = bitmap.Width() * 3;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int i = used; i < bitmap.Stride(); ++i) {
            if (bitmap.ScanLine(y)[i] != 0) {
                return ::testing::AssertionFailure() << "padding byte " << i << " of row " << y;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// Runs every test of the suite once per instruction-set path the processor has.
class TransformPaths : public ::testing::TestWithParam<TransformPath> {
protected:
    void SetUp() override {
        if (static_cast<int>(GetParam()) > static_cast<int>(BestTransformPath())) {
            GTEST_SKIP() << "this processor lacks the instruction set";
        }
        UseTransformPath(GetParam());
    }
    void TearDown() override { UseTransformPath(BestTransformPath()); }
};

TEST_P(TransformPaths, EveryTransformMatchesThePixelByPixelDefinition) {
    // Whole blocks and one pixel either side of them, rotation tiles and their
    // edges, rows with padding, strips one pixel thin, and a picture large
    // enough for the rotations to split it between threads.
    const std::vector<std::pair<int, int>> sizes = {
        {1, 1},    {2, 1},    {1, 2},     {1, 200},  {200, 1}, {2, 9},   {9, 2},
        {7, 7},    {8, 8},    {9, 9},     {16, 16},  {15, 17}, {17, 15}, {23, 8},
        {8, 23},   {24, 40},  {64, 64},   {63, 65},  {65, 63}, {5, 130}, {130, 5},
        {70, 131}, {131, 70}, {129, 136}, {700, 521}};
    for (const auto& [w, h] : sizes) {
        const Bitmap original = PatternBitmap(w, h, static_cast<std::uint32_t>(w * 1000 + h));
        const std::string size = std::to_string(w) + "x" + std::to_string(h);
        // The rows of a bottom-up file: the picture upside down, read backwards.
        const Bitmap upsideDown = NaiveFlip(original, false);
        const PixelRows backwards{upsideDown.ScanLine(h - 1), -upsideDown.Stride(), w, h};
        for (bool clockwise : {true, false}) {
            Bitmap source = original;
            Bitmap turned(3, 3); // a used destination of another size
            (clockwise ? RotateRight : RotateLeft)(source, turned);
            EXPECT_TRUE(SamePicture(turned, NaiveRotate(original, clockwise)))
                << size << (clockwise ? " right" : " left");
            EXPECT_TRUE(PaddingIsZero(turned)) << size;
            EXPECT_TRUE(SamePicture(source, original)) << size << " source changed";
            Bitmap fromRows(3, 3);
            (clockwise ? RotateRightFromRows : RotateLeftFromRows)(backwards, fromRows);
            EXPECT_TRUE(SamePicture(fromRows, turned)) << size << " from rows read backwards";
            EXPECT_TRUE(PaddingIsZero(fromRows)) << size;
        }
        for (bool right : {true, false}) {
            Bitmap flipped = original;
            (right ? FlipRight : FlipDown)(flipped);
            EXPECT_TRUE(SamePicture(flipped, NaiveFlip(original, right)))
                << size << (right ? " FlipRight" : " FlipDown");
            EXPECT_TRUE(PaddingIsZero(flipped)) << size;
        }
        for (bool vertical : {true, false}) {
            Bitmap mirrored = original;
            (vertical ? MirrorVertical : MirrorHorizontal)(mirrored);
            EXPECT_TRUE(SamePicture(mirrored, NaiveMirror(original, vertical)))
                << size << (vertical ? " MirrorVertical" : " MirrorHorizontal");
            EXPECT_TRUE(PaddingIsZero(mirrored)) << size;
        }
    }
}

std::string PathName(const ::testing::TestParamInfo<TransformPath>& info) {
    static const char* const names[] = {"Plain", "Ssse3", "Avx2"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(InstructionSets, TransformPaths,
                         ::testing::Values(TransformPath::Plain, TransformPath::Ssse3,
                                           TransformPath::Avx2),
                         PathName);

TEST(Transforms, EmptyPicturesAreLeftAloneAndTurnIntoTheirTransposedSize) {
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{0, 0}, {0, 3}, {4, 0}}) {
        const std::vector<std::function<void(Bitmap&)>> inPlace = {
            FlipRight, FlipDown, MirrorHorizontal, MirrorVertical};
        for (const auto& op : inPlace) {
            Bitmap b(w, h);
            EXPECT_NO_THROW(op(b)) << w << "x" << h;
            EXPECT_EQ(b.Width(), w);
            EXPECT_EQ(b.Height(), h);
        }
        Bitmap source(w, h);
        Bitmap out(2, 2);
        RotateLeft(source, out);
        EXPECT_EQ(out.Width(), h);
        EXPECT_EQ(out.Height(), w);
    }
}

} // namespace
} // namespace pixmoth
