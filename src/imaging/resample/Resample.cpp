#include "imaging/resample/Resample.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "imaging/bitmap/Error.h"
#include "imaging/resample/ResamplePasses.h"

namespace pixmoth {

namespace {

using resample::HorizontalJob;
using resample::HorizontalPlan;
using resample::kBlockChunk;
using resample::PassSet;
using resample::VerticalJob;

// Far beyond any real kernel (the widest in FilterTable reaches 3 pixels); a
// larger value is a caller's mistake that would only exhaust memory.
constexpr float kMaxSupport = 1024.0f;

struct FreeDeleter {
    void operator()(float* p) const { std::free(p); }
};
using FloatBlock = std::unique_ptr<float, FreeDeleter>;

// Zeroed, 64-byte aligned floats, so vector loads never split a cache line and
// padding reads meet finite numbers.
FloatBlock AllocateFloats(std::size_t count) {
    const std::size_t bytes = std::max<std::size_t>(64, (count * sizeof(float) + 63) / 64 * 64);
    void* memory = std::aligned_alloc(64, bytes);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    std::memset(memory, 0, bytes);
    return FloatBlock(static_cast<float*>(memory));
}

std::size_t RoundUp(std::size_t n, std::size_t step) {
    return (n + step - 1) / step * step;
}

const PassSet& PassesFor(ResamplePath path) {
    if (path == ResamplePath::Auto) {
        path = ResamplePathAvailable(ResamplePath::Avx512) ? ResamplePath::Avx512
               : ResamplePathAvailable(ResamplePath::Avx2) ? ResamplePath::Avx2
                                                           : ResamplePath::Plain;
    }
    if (!ResamplePathAvailable(path)) {
        throw Error(std::string("This processor cannot run the ") + ResamplePathName(path) +
                    " resampling path");
    }
    switch (path) {
    case ResamplePath::Avx512:
        return resample::Avx512Passes();
    case ResamplePath::Avx2:
        return resample::Avx2Passes();
    default:
        return resample::PlainPasses();
    }
}

// The horizontal lists padded to one length and to whole column groups, and
// the window of the column-major block (see HorizontalPlan).
struct PaddedLists {
    std::vector<int> position;
    std::vector<float> weight;
    std::vector<int> slot;
    std::vector<int> groupEnd;
    HorizontalPlan plan{};
};

PaddedLists PadHorizontal(const ContributorLists& lists, int columnGroup, int sourceWidth) {
    PaddedLists padded;
    const int columns = static_cast<int>(
        RoundUp(static_cast<std::size_t>(lists.Size()), static_cast<std::size_t>(columnGroup)));
    const int taps = std::max(1, lists.MaxCount());
    const std::size_t size = static_cast<std::size_t>(columns) * static_cast<std::size_t>(taps);
    padded.position.assign(size, 0);
    padded.weight.assign(size, 0.0f);
    // Padding repeats the last position seen, so it keeps a group's positions
    // close together and the window small.
    int last = 0;
    for (int i = 0; i < columns; ++i) {
        const std::size_t base = static_cast<std::size_t>(i) * static_cast<std::size_t>(taps);
        std::size_t t = 0;
        if (i < lists.Size()) {
            for (const Contributor& c : lists.List(i)) {
                last = 3 * c.index;
                padded.position[base + t] = last;
                padded.weight[base + t] = c.weight;
                ++t;
            }
        }
        for (; t < static_cast<std::size_t>(taps); ++t) {
            padded.position[base + t] = last;
        }
    }

    // Per group: the bytes to fill first, and the lowest position read from
    // this group on; the window must span the difference.
    const int bytes = 3 * sourceWidth;
    const int groups = columns / columnGroup;
    const std::size_t groupSize =
        static_cast<std::size_t>(columnGroup) * static_cast<std::size_t>(taps);
    padded.groupEnd.assign(static_cast<std::size_t>(groups), 0);
    std::vector<int> lowFromHere(static_cast<std::size_t>(groups) + 1, INT_MAX);
    int filled = 0;
    for (int g = 0; g < groups; ++g) {
        const auto first = padded.position.begin() + static_cast<std::ptrdiff_t>(g * groupSize);
        const int high = *std::max_element(first, first + static_cast<std::ptrdiff_t>(groupSize));
        const auto end = static_cast<int>(RoundUp(static_cast<std::size_t>(high) + 3, kBlockChunk));
        filled = std::max(filled, std::min(end, bytes));
        padded.groupEnd[static_cast<std::size_t>(g)] = filled;
    }
    for (int g = groups - 1; g >= 0; --g) {
        const auto first = padded.position.begin() + static_cast<std::ptrdiff_t>(g * groupSize);
        const int low = *std::min_element(first, first + static_cast<std::ptrdiff_t>(groupSize));
        lowFromHere[static_cast<std::size_t>(g)] =
            std::min(low, lowFromHere[static_cast<std::size_t>(g) + 1]);
    }
    int window = 48;
    for (int g = 0; g < groups; ++g) {
        window = std::max(window, padded.groupEnd[static_cast<std::size_t>(g)] -
                                      lowFromHere[static_cast<std::size_t>(g)]);
    }
    window = static_cast<int>(RoundUp(static_cast<std::size_t>(std::min(window, bytes)), 48));
    padded.slot.resize(size);
    for (std::size_t k = 0; k < size; ++k) {
        padded.slot[k] = padded.position[k] % window;
    }
    padded.plan = {columns,
                   taps,
                   padded.position.data(),
                   padded.weight.data(),
                   window,
                   padded.slot.data(),
                   padded.groupEnd.data()};
    return padded;
}

// The order in which both passes run: output rows top to bottom, and before
// each one the horizontal pass computes blocks of work rows until every row
// that output row reads is there. Work rows live in a ring of `ringRows` slots
// (row n in slot n mod ringRows), just large enough that no block overwrites a
// row that the current or a later output row still reads, so the work picture
// stays in the cache instead of making a round trip through memory.
class Schedule {
public:
    Schedule(const ContributorLists& rows, int sourceHeight, int blockRows)
        : mRows(rows), mBlockRows(blockRows),
          mSuffixMinLow(static_cast<std::size_t>(rows.Size()) + 1, INT_MAX),
          mHigh(static_cast<std::size_t>(rows.Size()), -1) {
        for (int i = rows.Size() - 1; i >= 0; --i) {
            int low = INT_MAX;
            for (const Contributor& c : rows.List(i)) {
                low = std::min(low, c.index);
                mHigh[static_cast<std::size_t>(i)] =
                    std::max(mHigh[static_cast<std::size_t>(i)], c.index);
            }
            mSuffixMinLow[static_cast<std::size_t>(i)] =
                std::min(low, mSuffixMinLow[static_cast<std::size_t>(i) + 1]);
        }
        long long need = std::min(blockRows, sourceHeight);
        Run([&](int i, int firstRow) {
            const long long stored = std::min(firstRow + blockRows, sourceHeight);
            need = std::max(need, stored - mSuffixMinLow[static_cast<std::size_t>(i)]);
        });
        mRingRows = static_cast<int>(std::min<long long>(need, sourceHeight));
    }

    int RingRows() const { return mRingRows; }

    // Calls block(i, firstRow) for every block of work rows, in order, right
    // before output row i needs it; row(i) for every output row.
    template <class Block, class Row>
    void Run(Block block, Row row) const {
        int computedEnd = 0;
        for (int i = 0; i < mRows.Size(); ++i) {
            while (computedEnd <= mHigh[static_cast<std::size_t>(i)]) {
                block(i, computedEnd);
                computedEnd += mBlockRows;
            }
            row(i);
        }
    }

private:
    template <class Block>
    void Run(Block block) const {
        Run(block, [](int) {});
    }

    const ContributorLists& mRows;
    int mBlockRows;
    std::vector<int> mSuffixMinLow;
    std::vector<int> mHigh;
    int mRingRows = 1;
};

void CheckFilter(FilterKernel kernel, float support) {
    if (kernel == nullptr || !(support >= 0.0f && support <= kMaxSupport)) {
        throw Error("Invalid resampling filter");
    }
}

void CheckSide(int side) {
    if (side > kMaxResampleSide) {
        throw Error("Picture too large to resample: sides are limited to " +
                    std::to_string(kMaxResampleSide) + " pixels");
    }
}

void CheckArguments(int ws, int hs, int wd, int hd, FilterKernel kernel, float support) {
    if (ws < 1 || hs < 1) {
        throw Error("Source bitmap too small");
    }
    if (wd < 1 || hd < 1) {
        throw Error("Target size " + std::to_string(wd) + " x " + std::to_string(hd) +
                    " has no pixels: width and height must be at least 1");
    }
    for (int side : {ws, hs, wd, hd}) {
        CheckSide(side);
    }
    CheckFilter(kernel, support);
}

} // namespace

ContributorLists BuildContributors(int sourceSize, int destSize, FilterKernel kernel,
                                   float support) {
    if (sourceSize < 1 || destSize < 1) {
        throw Error("Contributor lists need sizes of at least 1 pixel");
    }
    CheckSide(sourceSize);
    CheckSide(destSize);
    CheckFilter(kernel, support);
    ContributorLists lists;
    // Intermediates are double and rounded to single where a value is kept
    // (scale, centre, reach, fscale, the kernel's argument, the weight).
    const double source = sourceSize;
    const double dest = destSize;
    const auto scale = static_cast<float>(
        (sourceSize == 1 || destSize == 1) ? dest / source : (dest - 1.0) / (source - 1.0));
    const bool shrinking = scale < 1.0f;
    // Shrinking widens the kernel by 1 / scale and lowers it by the same factor.
    const float reach =
        shrinking ? static_cast<float>(support / static_cast<double>(scale)) : support;
    const float fscale = shrinking ? static_cast<float>(1.0 / static_cast<double>(scale)) : 1.0f;
    lists.mStart.reserve(static_cast<std::size_t>(destSize) + 1);
    lists.mEntries.reserve(static_cast<std::size_t>(destSize) *
                           static_cast<std::size_t>(2.0f * reach + 1.0f));
    for (int i = 0; i < destSize; ++i) {
        const auto centre = static_cast<float>(i / static_cast<double>(scale));
        const auto first = static_cast<long long>(std::floor(double{centre} - reach));
        const auto last = static_cast<long long>(std::ceil(double{centre} + reach));
        const std::size_t start = lists.mEntries.size();
        for (long long j = first; j <= last; ++j) {
            const double offset = double{centre} - static_cast<double>(j);
            const float weight =
                shrinking ? static_cast<float>(double{kernel(static_cast<float>(offset / fscale))} /
                                               fscale)
                          : kernel(static_cast<float>(offset));
            if (weight == 0.0f) {
                continue;
            }
            // Mirror once at each edge; a source narrower than the kernel's reach
            // can still land outside, and then the nearest edge pixel stands in.
            long long n = j < 0 ? -j : (j >= sourceSize ? 2LL * sourceSize - 1 - j : j);
            n = std::clamp<long long>(n, 0, sourceSize - 1);
            lists.mEntries.push_back({static_cast<int>(n), weight});
        }
        lists.mStart.push_back(lists.mEntries.size());
        lists.mMaxCount =
            std::max(lists.mMaxCount, static_cast<int>(lists.mEntries.size() - start));
    }
    return lists;
}

bool ResamplePathAvailable(ResamplePath path) {
    __builtin_cpu_init(); // may run before the library's own initialisation
    switch (path) {
    case ResamplePath::Avx2:
        return __builtin_cpu_supports("avx2");
    case ResamplePath::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
               __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl");
    default:
        return true;
    }
}

const char* ResamplePathName(ResamplePath path) {
    switch (path) {
    case ResamplePath::Auto:
        return "Auto";
    case ResamplePath::Plain:
        return "Plain";
    case ResamplePath::Avx2:
        return "AVX2";
    case ResamplePath::Avx512:
        return "AVX-512";
    }
    return "?";
}

void ResampleBitmap(Bitmap& source, Bitmap& destination, FilterKernel kernel, float support,
                    ResamplePath path) {
    const int ws = source.Width();
    const int hs = source.Height();
    const int wd = destination.Width();
    const int hd = destination.Height();
    CheckArguments(ws, hs, wd, hd, kernel, support);
    if (&source == &destination) {
        Bitmap copy(source);
        ResampleBitmap(copy, destination, kernel, support, path);
        return;
    }
    const PassSet& passes = PassesFor(path);
    source.To24Bit();

    const ContributorLists columnLists = BuildContributors(ws, wd, kernel, support);
    const ContributorLists rowLists = BuildContributors(hs, hd, kernel, support);
    const PaddedLists horizontal = PadHorizontal(columnLists, passes.columnGroup, ws);
    const Schedule schedule(rowLists, hs, passes.blockRows);

    // Work rows: wide enough for the padded columns the horizontal pass writes
    // and for the whole value groups the vertical pass reads.
    const std::size_t values = static_cast<std::size_t>(wd) * 3;
    const std::size_t stride =
        RoundUp(std::max(values, static_cast<std::size_t>(horizontal.plan.columns) * 3), 64);
    const auto ringRows = static_cast<std::size_t>(schedule.RingRows());
    // One more row takes the results for block rows past the bottom.
    FloatBlock ring = AllocateFloats((ringRows + 1) * stride);
    float* const spareRow = ring.get() + ringRows * stride;
    FloatBlock horizontalScratch = AllocateFloats(passes.horizontalScratch(horizontal.plan.window));
    FloatBlock verticalScratch =
        AllocateFloats(RoundUp(values, static_cast<std::size_t>(passes.valueGroup)));

    const auto blockRows = static_cast<std::size_t>(passes.blockRows);
    std::vector<const std::uint8_t*> sourceRows(blockRows);
    std::vector<float*> workRows(blockRows);
    const auto maxTaps = static_cast<std::size_t>(std::max(1, rowLists.MaxCount()));
    std::vector<const float*> tapRows(maxTaps);
    std::vector<float> tapWeights(maxTaps);

    destination.Reset(wd, hd, PixelFormat::Bit24);
    const Bitmap& src = source;
    const HorizontalJob horizontalJob{sourceRows.data(), ws, horizontal.plan, workRows.data(),
                                      horizontalScratch.get()};
    schedule.Run(
        [&](int, int firstRow) {
            for (std::size_t lane = 0; lane < blockRows; ++lane) {
                const int k = firstRow + static_cast<int>(lane);
                sourceRows[lane] = src.ScanLine(std::min(k, hs - 1));
                workRows[lane] = k < hs
                                     ? ring.get() + static_cast<std::size_t>(k) % ringRows * stride
                                     : spareRow;
            }
            passes.horizontal(horizontalJob);
        },
        [&](int i) {
            int count = 0;
            for (const Contributor& c : rowLists.List(i)) {
                tapRows[static_cast<std::size_t>(count)] =
                    ring.get() + static_cast<std::size_t>(c.index) % ringRows * stride;
                tapWeights[static_cast<std::size_t>(count)] = c.weight;
                ++count;
            }
            passes.vertical({tapRows.data(), tapWeights.data(), count, static_cast<int>(values),
                             destination.ScanLine(i), verticalScratch.get()});
        });
}

} // namespace pixmoth
