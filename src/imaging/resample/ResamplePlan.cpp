#include "imaging/resample/ResamplePlan.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <string>

#include "imaging/bitmap/Error.h"
#include "imaging/bitmap/InstructionSet.h"

namespace pixmoth::resample {

namespace {

// Far beyond any real kernel (the widest in FilterTable reaches 3 pixels); a
// larger value is a caller's mistake that would only exhaust memory.
constexpr float kMaxSupport = 1024.0f;

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

} // namespace

FloatBlock AllocateFloats(std::size_t count) {
    const std::size_t bytes = std::max<std::size_t>(64, (count * sizeof(float) + 63) / 64 * 64);
    void* memory = std::aligned_alloc(64, bytes);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    std::memset(memory, 0, bytes);
    return FloatBlock(static_cast<float*>(memory));
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

ResamplePlan::ResamplePlan(int ws, int hs, int wd, int hd, FilterKernel kernel, float support,
                           ResamplePath path)
    : sourceWidth(ws), sourceHeight(hs), passes(PassesFor(path)),
      columnLists(BuildContributors(ws, wd, kernel, support)),
      rowLists(BuildContributors(hs, hd, kernel, support)),
      horizontal(PadHorizontal(columnLists, passes.columnGroup, ws)),
      values(static_cast<std::size_t>(wd) * 3),
      stride(RoundUp(std::max(values, static_cast<std::size_t>(horizontal.plan.columns) * 3), 64)) {
}

WorkRows::WorkRows(const ResamplePlan& plan, int ringRows)
    : mPlan(plan), mRingRows(static_cast<std::size_t>(ringRows)),
      mRing(AllocateFloats((mRingRows + 1) * plan.stride)),
      mSpareRow(mRing.get() + mRingRows * plan.stride),
      mHorizontalScratch(
          AllocateFloats(plan.passes.horizontalScratch(plan.horizontal.plan.window))),
      mVerticalScratch(
          AllocateFloats(RoundUp(plan.values, static_cast<std::size_t>(plan.passes.valueGroup)))),
      mSourceRows(static_cast<std::size_t>(plan.passes.blockRows)),
      mWorkRows(static_cast<std::size_t>(plan.passes.blockRows)),
      mTapRows(static_cast<std::size_t>(std::max(1, plan.rowLists.MaxCount()))),
      mTapWeights(mTapRows.size()) {}

void WorkRows::Vertical(int i, std::uint8_t* out) {
    int count = 0;
    for (const Contributor& c : mPlan.rowLists.List(i)) {
        mTapRows[static_cast<std::size_t>(count)] = Row(c.index);
        mTapWeights[static_cast<std::size_t>(count)] = c.weight;
        ++count;
    }
    mPlan.passes.vertical({mTapRows.data(), mTapWeights.data(), count,
                           static_cast<int>(mPlan.values), out, mVerticalScratch.get()});
}

} // namespace pixmoth::resample
