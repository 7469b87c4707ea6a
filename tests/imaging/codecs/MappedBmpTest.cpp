#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "BmpTestFiles.h"
#include "TempDir.h"
#include "TestPictures.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/MappedBmp.h"
#include "imaging/effects/Transforms.h"

namespace pixmoth {
namespace {

using test::Bmp;
using test::Bytes;
using test::MakeBmp;
using test::PatternBitmap;
using test::SamePicture;

Bitmap FromRows(const PixelRows& rows) {
    Bitmap bitmap(rows.width, rows.height);
    for (int y = 0; y < rows.height; ++y) {
        std::memcpy(bitmap.ScanLine(y), rows.top + y * rows.stride,
                    static_cast<std::size_t>(rows.width) * 3);
    }
    return bitmap;
}

TEST(MappedBmp, MapsOnly24BitUncompressedFilesWithTheRowsLoadBmpGives) {
    test::TempDir temp;
    SaveBmp(PatternBitmap(5, 3), temp / "bottom-up.bmp");
    Bytes topDownRows;
    for (int i = 0; i < 3 * 16; ++i) {
        topDownRows.push_back(static_cast<std::uint8_t>(i % 16 < 15 ? 7 * i : 0));
    }
    struct Case {
        const char* what;
        Bytes file;
        bool maps;
    };
    const std::vector<Case> cases = {
        {"bottom-up, rows padded", test::ReadBytes(temp / "bottom-up.bmp"), true},
        {"top-down", MakeBmp(Bmp(24, 5, -3).Pixels(topDownRows)), true},
        {"last row without its padding", MakeBmp(Bmp(24, 5, 3).Pixels(Bytes(16 * 2 + 15, 9))),
         true},
        {"32 bits", MakeBmp(Bmp(32, 2, 2).Pixels(Bytes(16, 1))), false},
        {"8 bits", MakeBmp(Bmp(8, 4, 2).Table({{1, 2, 3, 0}}).Pixels(Bytes(8, 0))), false},
        {"RLE", MakeBmp(Bmp(24, 2, 2).Compression(1).Pixels({0, 1})), false},
        {"truncated", MakeBmp(Bmp(24, 5, 3).Pixels(Bytes(20, 1))), false},
        {"no BMP at all", Bytes{'h', 'e', 'l', 'l', 'o'}, false},
    };
    for (const Case& c : cases) {
        const std::string path = test::WriteBytes(temp / "in.bmp", c.file);
        const auto mapped = MappedBmp::Open(path);
        ASSERT_EQ(mapped != nullptr, c.maps) << c.what;
        if (mapped) {
            EXPECT_TRUE(SamePicture(FromRows(mapped->Rows()), LoadBmp(path))) << c.what;
            EXPECT_NO_THROW(mapped->CheckIntact()) << c.what;
        }
    }
    EXPECT_EQ(MappedBmp::Open(temp / "missing.bmp"), nullptr);
}

TEST(MappedBmp, AFileThatShrinksUnderItReadsZerosAndIsReportedNotACrash) {
    test::TempDir temp;
    const std::string path = temp / "shrinking.bmp";
    SaveBmp(PatternBitmap(401, 300), path); // 352 KB: many pages to lose
    auto mapped = MappedBmp::Open(path);
    ASSERT_NE(mapped, nullptr);
    EXPECT_EQ(MappedBmp::Open(path), nullptr) << "one file at a time";
    ASSERT_EQ(::truncate(path.c_str(), 1000), 0);
    Bitmap turned;
    RotateRightFromRows(mapped->Rows(), turned);
    // The top row, stored last, was lost; the bottom row, stored first, was not.
    EXPECT_EQ(turned.PixelColor(299, 0), PaletteEntry{});
    EXPECT_EQ(turned.PixelColor(0, 0), PatternBitmap(401, 300).PixelColor(0, 299));
    try {
        mapped->CheckIntact();
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "File \"" + path + "\" is truncated");
    }
    mapped.reset();
    SaveBmp(PatternBitmap(3, 2), path);
    EXPECT_NE(MappedBmp::Open(path), nullptr) << "free again once the first is gone";
}

} // namespace
} // namespace pixmoth
