#include "imaging/resample/RowResampler.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "ResampleCases.h"
#include "TestPictures.h"
#include "imaging/bitmap/Error.h"
#include "imaging/resample/ResampleFilters.h"

namespace pixmoth {
namespace {

using test::kSizeCases;
using test::Paths;
using test::PatternBitmap;
using test::SamePicture;

// Streams `source` through a RowResampler, handing over at most `chunk` rows
// at a time (0: as many as there is room for).
Bitmap Streamed(const Bitmap& source, int width, int height, const FilterEntry& filter,
                ResamplePath path, int chunk) {
    Bitmap output(width, height);
    RowResampler resampler(source.Width(), source.Height(), output, filter.kernel, filter.support,
                           path);
    const std::size_t bytes = static_cast<std::size_t>(source.Width()) * 3;
    while (resampler.Room() > 0) {
        const int rows = chunk > 0 ? std::min(chunk, resampler.Room()) : resampler.Room();
        for (int k = 0; k < rows; ++k) {
            std::memcpy(resampler.Row(k), source.ScanLine(resampler.RowsIn() + k), bytes);
        }
        resampler.Commit(rows);
    }
    EXPECT_TRUE(resampler.Done());
    EXPECT_EQ(resampler.RowsIn(), source.Height());
    return output;
}

TEST(RowResampler, GivesTheBytesOfResampleBitmapHoweverTheRowsArrive) {
    for (const auto& c : kSizeCases) {
        const Bitmap source = PatternBitmap(c.sourceWidth, c.sourceHeight, 13);
        for (const FilterEntry& filter : FilterTable) {
            for (ResamplePath path : Paths()) {
                Bitmap input(source);
                Bitmap expected(c.width, c.height);
                ResampleBitmap(input, expected, filter.kernel, filter.support, path, 1);
                for (int chunk : {0, 1, 3}) {
                    EXPECT_TRUE(SamePicture(
                        Streamed(source, c.width, c.height, filter, path, chunk), expected))
                        << c.what << ", " << filter.name << ", " << ResamplePathName(path)
                        << ", chunks of " << chunk;
                }
            }
        }
    }
}

TEST(RowResampler, RefusesWhatResampleBitmapRefusesAndRowsBeyondItsRoom) {
    Bitmap output(4, 4);
    const FilterEntry& lanczos = *FindFilter("Lanczos3");
    EXPECT_THROW(RowResampler(0, 5, output, lanczos.kernel, lanczos.support), Error);
    Bitmap empty;
    EXPECT_THROW(RowResampler(5, 5, empty, lanczos.kernel, lanczos.support), Error);
    EXPECT_THROW(RowResampler(5, 5, output, nullptr, 1.0f), Error);

    RowResampler resampler(5, 3, output, lanczos.kernel, lanczos.support);
    EXPECT_THROW(resampler.Commit(resampler.Room() + 1), Error);
    EXPECT_THROW(resampler.Row(resampler.Room()), Error);
    while (resampler.Room() > 0) {
        resampler.Commit(resampler.Room());
    }
    EXPECT_TRUE(resampler.Done());
    EXPECT_EQ(resampler.Room(), 0);
    EXPECT_THROW(resampler.Commit(1), Error);
}

} // namespace
} // namespace pixmoth
