#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "imaging/bitmap/Bitmap.h"
#include "imaging/resample/ResampleFilters.h"

// Scaling a bitmap by separable filtering: along rows into a work picture, then
// along columns into the destination.
namespace pixmoth {

// The longest side resampling takes, source or target. Positions are computed
// in single precision, which counts whole pixels exactly only up to 2^24.
constexpr int kMaxResampleSide = 1 << 24;

// One source pixel (or row) that feeds an output pixel, and its weight.
struct Contributor {
    int index;
    float weight;
};

// The contributors of every output column (or row) of one axis, list after
// list in one block.
class ContributorLists {
public:
    int Size() const { return static_cast<int>(mStart.size()) - 1; }
    std::span<const Contributor> List(int i) const {
        return {mEntries.data() + mStart[static_cast<std::size_t>(i)],
                mEntries.data() + mStart[static_cast<std::size_t>(i) + 1]};
    }
    // The length of the longest list.
    int MaxCount() const { return mMaxCount; }

private:
    friend ContributorLists BuildContributors(int, int, FilterKernel, float);
    std::vector<Contributor> mEntries;
    std::vector<std::size_t> mStart{0};
    int mMaxCount = 0;
};

// The lists for scaling `sourceSize` pixels to `destSize` along one axis. The
// scale factor is (dest - 1) / (source - 1), so the corner pixels correspond,
// or dest / source when either size is 1. Weights are not normalised, weights
// of exactly 0 are left out, and indices outside the source are mirrored at the
// edge once, then clamped to the nearest edge pixel.
ContributorLists BuildContributors(int sourceSize, int destSize, FilterKernel kernel,
                                   float support);

// Which instruction set the passes use. Every path gives the same bytes; Auto
// takes the widest one the processor has.
enum class ResamplePath { Auto, Plain, Avx2, Avx512 };

// Whether `path` can run on this processor (Auto and Plain always can).
bool ResamplePathAvailable(ResamplePath path);
const char* ResamplePathName(ResamplePath path);

// Fills `destination` with `source` scaled to the destination's current size,
// using `kernel` with the given support (normally an entry of FilterTable).
// The source is brought to 24 bits and otherwise keeps its pixels; the
// destination becomes 24-bit. Sums are single precision, added in list order,
// then clamped to 0 .. 255 and rounded half to even. Throws Error "Source
// bitmap too small" for an empty source and an Error for a destination without
// pixels, in both cases before anything changes.
//
// Large pictures are split into bands of output rows that run on all cores,
// with the same bytes as one pass. `threads` above 0 fixes the number of bands
// (at most one per output row) whatever the picture's size, for tests and
// timing; 0 chooses by size and cores.
void ResampleBitmap(Bitmap& source, Bitmap& destination, FilterKernel kernel, float support,
                    ResamplePath path = ResamplePath::Auto, int threads = 0);
// The same for a source that must stay as it is (shared with another thread,
// say): a 24-bit source is only read, any other is converted on a copy.
void ResampleBitmap(const Bitmap& source, Bitmap& destination, FilterKernel kernel, float support,
                    ResamplePath path = ResamplePath::Auto, int threads = 0);

} // namespace pixmoth
