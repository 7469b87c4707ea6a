// Small files with large costs: claims beyond what the data can hold, data
// that ends early, huge files that are no picture.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "JpegTestFiles.h"
#include "TempDir.h"
#include "TestPictures.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/JpegCodec.h"

namespace pixmoth {
namespace {

using Bytes = std::vector<std::uint8_t>;

using test::ErrorText;

// Every row, as plain libjpeg decodes it from memory, BGR, no padding.
Bytes ReferenceDecode(const Bytes& file) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    error.emit_message = [](j_common_ptr, int) {};
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), file.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    const std::size_t rowBytes = std::size_t{info.output_width} * 3;
    Bytes pixels(rowBytes * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + info.output_scanline * rowBytes;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_destroy_decompress(&info);
    return pixels;
}

Bytes Rows(const Bitmap& bitmap) {
    Bytes pixels;
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        pixels.insert(pixels.end(), row, row + bitmap.Width() * 3);
    }
    return pixels;
}

// Bytes this process has read through read calls so far.
std::uint64_t BytesRead() {
    std::ifstream io("/proc/self/io");
    std::string name;
    std::uint64_t value = 0;
    while (io >> name >> value) {
        if (name == "rchar:") {
            return value;
        }
    }
    return 0;
}

TEST(JpegCost, PicturesClaimingMorePixelsThanTheirDataCanDescribeAreRefused) {
    const Bytes file = EncodeJpeg(test::PatternBitmap(16, 16));
    const auto bytes = static_cast<int>(file.size());
    struct Case {
        int width, height;
        bool refused;
    };
    // 2,000 pixels a byte at most.
    for (const Case& c : {Case{14000, 14000, true}, Case{2 * bytes, 1000, false},
                          Case{2 * bytes + 1, 1000, true}, Case{1000, 2 * bytes + 1, true}}) {
        Bytes claim = file;
        test::PatchSize(claim, c.width, c.height);
        const std::string expected = "The JPEG file claims a picture of " +
                                     std::to_string(c.width) + " x " + std::to_string(c.height) +
                                     " pixels in only " + std::to_string(bytes) +
                                     " bytes, more than JPEG data of that size can describe";
        const std::string full = ErrorText([&] { DecodeJpeg(claim.data(), claim.size()); });
        const std::string scaled =
            ErrorText([&] { DecodeJpegScaled(claim.data(), claim.size(), 64); });
        EXPECT_EQ(full, c.refused ? expected : "") << c.width << " x " << c.height;
        EXPECT_EQ(scaled, full);
    }
    const test::TempDir dir;
    const std::string path = dir / "bomb.jpg";
    Bytes bomb = file;
    test::PatchSize(bomb, 14000, 14000);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bomb.data()), bytes);
    EXPECT_EQ(
        ErrorText([&] {
            LoadJpeg(path);
        }).find("Cannot read JPEG file \"" + path + "\": The JPEG file claims a picture of 14000"),
        0u);
}

TEST(JpegCost, DecodingStopsWhereTheDataEndsWithoutLosingADecodedRow) {
    // Chroma halved both ways (rows wait for the group below), full chroma and
    // grey; every cut inside the scan gives exactly what decoding to the last
    // row gives, however early decoding stopped.
    const Bitmap picture = test::PatternBitmap(40, 160);
    test::TestJpegOptions grey;
    grey.inSpace = grey.fileSpace = JCS_GRAYSCALE;
    Bytes greySamples;
    for (int y = 0; y < 160; ++y) {
        for (int x = 0; x < 40; ++x) {
            greySamples.push_back(static_cast<std::uint8_t>(x * 6 + y));
        }
    }
    Bytes rgb;
    for (int y = 0; y < 160; ++y) {
        for (int x = 0; x < 40; ++x) {
            const std::uint8_t* p = picture.ScanLine(y) + 3 * x;
            rgb.insert(rgb.end(), {p[2], p[1], p[0]});
        }
    }
    // One block a row, each a flat grey a step from the last: a few bits a
    // block, so the decoder holds many rows of data when the source runs dry.
    Bytes steps;
    for (int y = 0; y < 400; ++y) {
        steps.insert(steps.end(), 8, static_cast<std::uint8_t>(100 + (y / 8) % 3));
    }
    const Bytes narrow = test::MakeTestJpeg(8, 400, steps, grey);
    for (const Bytes& file :
         std::vector<Bytes>{narrow, EncodeJpeg(picture), test::MakeTestJpeg(40, 160, rgb),
                            test::MakeTestJpeg(40, 160, greySamples, grey)}) {
        std::size_t scanData = 0;
        test::HeaderSegments(file, &scanData);
        for (std::size_t size = scanData; size < file.size(); size += 1 + file.size() / 300) {
            const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
            ASSERT_EQ(Rows(DecodeJpeg(cut.data(), cut.size())), ReferenceDecode(cut))
                << "cut at " << size << " of " << file.size();
        }
    }
}

TEST(JpegCost, FilesAreReadHeaderFirst) {
    const test::TempDir dir;
    // Two gigabytes of nothing (a sparse file), and a header claiming more
    // pixels than the program opens ahead of a gigabyte of nothing.
    const std::string empty = dir / "empty.jpg";
    const std::string huge = dir / "huge.jpg";
    Bytes header = EncodeJpeg(test::PatternBitmap(16, 16));
    test::PatchSize(header, 60000, 60000);
    std::ofstream(huge, std::ios::binary)
        .write(reinterpret_cast<const char*>(header.data()), static_cast<long>(header.size()));
    ASSERT_EQ(::truncate(huge.c_str(), std::int64_t{1} << 30), 0);
    std::ofstream(empty, std::ios::binary).put('\0');
    ASSERT_EQ(::truncate(empty.c_str(), (std::int64_t{2} << 30) - 1), 0);
    struct Case {
        std::string path, message;
    };
    for (const Case& c :
         {Case{empty, "Not a JPEG file: starts with 0x00 0x00"},
          Case{huge, "The JPEG file claims a picture of 60000 x 60000 pixels, more than this "
                     "program opens"}}) {
        // As a document opens it, and as the thumbnail list does.
        for (const auto& load : {std::function<void()>([&] { LoadJpeg(c.path); }),
                                 std::function<void()>([&] { LoadJpegAtLeast(c.path, 91, 91); })}) {
            const std::uint64_t before = BytesRead();
            EXPECT_EQ(ErrorText(load), "Cannot read JPEG file \"" + c.path + "\": " + c.message);
            EXPECT_LT(BytesRead() - before, std::uint64_t{1} << 20) << c.path;
        }
    }

    // A file cut inside its header fails as the same bytes do from memory.
    const Bytes file = EncodeJpeg(test::PatternBitmap(16, 16));
    std::size_t scanData = 0;
    test::HeaderSegments(file, &scanData);
    const std::string cutPath = dir / "cut.jpg";
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{30},
                                   scanData / 2, scanData - 1}) {
        std::ofstream(cutPath, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(file.data()), static_cast<long>(size));
        const std::string fromMemory = ErrorText([&] { DecodeJpeg(file.data(), size); });
        ASSERT_NE(fromMemory, "");
        EXPECT_EQ(ErrorText([&] { LoadJpeg(cutPath); }),
                  "Cannot read JPEG file \"" + cutPath + "\": " + fromMemory)
            << size;
    }
}

} // namespace
} // namespace pixmoth
