#include "imaging/resample/Resample.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "imaging/bitmap/Error.h"
#include "imaging/bitmap/InstructionSet.h"
#include "imaging/bitmap/RowBands.h"
#include "imaging/resample/ResamplePlan.h"
#include "imaging/resample/ResampleSchedule.h"

namespace pixmoth {

namespace {

using resample::CheckArguments;
using resample::CheckFilter;
using resample::CheckSide;
using resample::ResamplePlan;
using resample::ResampleSchedule;
using resample::WorkRows;

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
    const ResamplePlan plan(ws, hs, wd, hd, kernel, support, path);
    source.To24Bit();
    const std::vector<ResampleSchedule> schedules = SplitIntoBands(
        plan.rowLists, hs, plan.passes.blockRows,
        threads > 0 ? std::min(threads, hd) : BandLimit(ws, hs, wd, hd), threads > 0);
    // Everything a band writes, allocated here so that the bands themselves
    // never fail.
    std::vector<WorkRows> work;
    work.reserve(schedules.size());
    for (const ResampleSchedule& schedule : schedules) {
        work.emplace_back(plan, schedule.RingRows());
    }

    destination.Reset(wd, hd, PixelFormat::Bit24);
    const Bitmap& src = source;
    ForEachBand(static_cast<int>(schedules.size()), [&](int band) {
        WorkRows& own = work[static_cast<std::size_t>(band)];
        schedules[static_cast<std::size_t>(band)].Run(
            [&](int, int firstRow) {
                own.Horizontal(firstRow, [&](int k) { return src.ScanLine(k); });
            },
            [&](int i) { own.Vertical(i, destination.ScanLine(i)); });
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
