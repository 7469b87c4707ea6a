#include "imaging/resample/Resample.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "imaging/bitmap/Error.h"
#include "imaging/bitmap/InstructionSet.h"
#include "imaging/bitmap/RowBands.h"
#include "imaging/resample/ResamplePasses.h"
#include "imaging/resample/ResampleSchedule.h"

namespace pixmoth {

namespace {

using resample::HorizontalJob;
using resample::HorizontalPlan;
using resample::kBlockChunk;
using resample::PassSet;
using resample::ResampleSchedule;
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
        const InstructionSet allowed = ChosenInstructionSet();
        path = ResamplePathAvailable(ResamplePath::Avx512) && allowed >= InstructionSet::Avx512
                   ? ResamplePath::Avx512
               : ResamplePathAvailable(ResamplePath::Avx2) && allowed >= InstructionSet::Avx2
                   ? ResamplePath::Avx2
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

// How many bands may share the work, judged by the pixels read and written.
int BandLimit(int ws, int hs, int wd, int hd) {
    const std::size_t bytes = 3 * (static_cast<std::size_t>(ws) * static_cast<std::size_t>(hs) +
                                   static_cast<std::size_t>(wd) * static_cast<std::size_t>(hd));
    return std::min(BandsFor(bytes), hd);
}

// Output rows split into at most `limit` bands of about equal size. Bands
// recompute the work rows they share with their neighbours; when a kernel
// reaches so far that they would share many (a picture shrunk to a few rows),
// fewer bands are used, down to one, so the processor time stays about that
// of one pass.
std::vector<ResampleSchedule> SplitIntoBands(const ContributorLists& rows, int sourceHeight,
                                             int blockRows, int limit, bool exact) {
    for (int bands = limit;; --bands) {
        std::vector<ResampleSchedule> schedules;
        long long workRows = 0;
        for (int band = 0; band < bands; ++band) {
            const int first = static_cast<int>(static_cast<long long>(rows.Size()) * band / bands);
            const int end =
                static_cast<int>(static_cast<long long>(rows.Size()) * (band + 1) / bands);
            schedules.emplace_back(rows, sourceHeight, blockRows, first, end);
            workRows += schedules.back().WorkRows();
        }
        if (exact || bands == 1 ||
            workRows * 4 <= static_cast<long long>(sourceHeight + blockRows) * 5) {
            return schedules;
        }
    }
}

// The memory one band works in.
struct BandBuffers {
    BandBuffers(const ResampleSchedule& schedule, const PassSet& passes, const HorizontalPlan& plan,
                std::size_t stride, std::size_t values, int maxTaps)
        : ring(AllocateFloats((static_cast<std::size_t>(schedule.RingRows()) + 1) * stride)),
          horizontalScratch(AllocateFloats(passes.horizontalScratch(plan.window))),
          verticalScratch(
              AllocateFloats(RoundUp(values, static_cast<std::size_t>(passes.valueGroup)))),
          sourceRows(static_cast<std::size_t>(passes.blockRows)),
          workRows(static_cast<std::size_t>(passes.blockRows)),
          tapRows(static_cast<std::size_t>(maxTaps)),
          tapWeights(static_cast<std::size_t>(maxTaps)) {}

    FloatBlock ring;
    FloatBlock horizontalScratch;
    FloatBlock verticalScratch;
    std::vector<const std::uint8_t*> sourceRows;
    std::vector<float*> workRows;
    std::vector<const float*> tapRows;
    std::vector<float> tapWeights;
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
    switch (path) {
    case ResamplePath::Avx2:
        return ProcessorInstructionSet() >= InstructionSet::Avx2;
    case ResamplePath::Avx512:
        return ProcessorInstructionSet() >= InstructionSet::Avx512;
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
                    ResamplePath path, int threads) {
    const int ws = source.Width();
    const int hs = source.Height();
    const int wd = destination.Width();
    const int hd = destination.Height();
    CheckArguments(ws, hs, wd, hd, kernel, support);
    if (&source == &destination) {
        Bitmap copy(source);
        ResampleBitmap(copy, destination, kernel, support, path, threads);
        return;
    }
    const PassSet& passes = PassesFor(path);
    source.To24Bit();

    const ContributorLists columnLists = BuildContributors(ws, wd, kernel, support);
    const ContributorLists rowLists = BuildContributors(hs, hd, kernel, support);
    const PaddedLists horizontal = PadHorizontal(columnLists, passes.columnGroup, ws);
    const std::vector<ResampleSchedule> schedules = SplitIntoBands(
        rowLists, hs, passes.blockRows,
        threads > 0 ? std::min(threads, hd) : BandLimit(ws, hs, wd, hd), threads > 0);

    // Work rows: wide enough for the padded columns the horizontal pass writes
    // and for the whole value groups the vertical pass reads.
    const std::size_t values = static_cast<std::size_t>(wd) * 3;
    const std::size_t stride =
        RoundUp(std::max(values, static_cast<std::size_t>(horizontal.plan.columns) * 3), 64);
    // Everything a band writes, allocated here so that the bands themselves
    // never fail.
    std::vector<BandBuffers> buffers;
    buffers.reserve(schedules.size());
    for (const ResampleSchedule& schedule : schedules) {
        buffers.emplace_back(schedule, passes, horizontal.plan, stride, values,
                             std::max(1, rowLists.MaxCount()));
    }

    destination.Reset(wd, hd, PixelFormat::Bit24);
    const Bitmap& src = source;
    const auto blockRows = static_cast<std::size_t>(passes.blockRows);
    ForEachBand(static_cast<int>(schedules.size()), [&](int band) {
        const ResampleSchedule& schedule = schedules[static_cast<std::size_t>(band)];
        BandBuffers& own = buffers[static_cast<std::size_t>(band)];
        const auto ringRows = static_cast<std::size_t>(schedule.RingRows());
        float* const ring = own.ring.get();
        // One more row takes the results for block rows past the bottom.
        float* const spareRow = ring + ringRows * stride;
        const HorizontalJob horizontalJob{own.sourceRows.data(), ws, horizontal.plan,
                                          own.workRows.data(), own.horizontalScratch.get()};
        schedule.Run(
            [&](int, int firstRow) {
                for (std::size_t lane = 0; lane < blockRows; ++lane) {
                    const int k = firstRow + static_cast<int>(lane);
                    own.sourceRows[lane] = src.ScanLine(std::min(k, hs - 1));
                    own.workRows[lane] =
                        k < hs ? ring + static_cast<std::size_t>(k) % ringRows * stride : spareRow;
                }
                passes.horizontal(horizontalJob);
            },
            [&](int i) {
                int count = 0;
                for (const Contributor& c : rowLists.List(i)) {
                    own.tapRows[static_cast<std::size_t>(count)] =
                        ring + static_cast<std::size_t>(c.index) % ringRows * stride;
                    own.tapWeights[static_cast<std::size_t>(count)] = c.weight;
                    ++count;
                }
                passes.vertical({own.tapRows.data(), own.tapWeights.data(), count,
                                 static_cast<int>(values), destination.ScanLine(i),
                                 own.verticalScratch.get()});
            });
    });
}

void ResampleBitmap(const Bitmap& source, Bitmap& destination, FilterKernel kernel, float support,
                    ResamplePath path, int threads) {
    if (source.Format() != PixelFormat::Bit24) {
        Bitmap converted(source);
        ResampleBitmap(converted, destination, kernel, support, path, threads);
        return;
    }
    // Bringing a 24-bit bitmap to 24 bits changes nothing, so it is only read.
    ResampleBitmap(const_cast<Bitmap&>(source), destination, kernel, support, path, threads);
}

} // namespace pixmoth
