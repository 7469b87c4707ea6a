#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "imaging/resample/Resample.h"
#include "imaging/resample/ResamplePasses.h"

// What ResampleBitmap and RowResampler share: the checks, the plan of both
// passes and the memory one stream of rows works in. Internal to the
// resampling files.
namespace pixmoth::resample {

struct FreeDeleter {
    void operator()(float* p) const { std::free(p); }
};
using FloatBlock = std::unique_ptr<float, FreeDeleter>;

// Zeroed, 64-byte aligned floats, so vector loads never split a cache line and
// padding reads meet finite numbers.
FloatBlock AllocateFloats(std::size_t count);

inline std::size_t RoundUp(std::size_t n, std::size_t step) {
    return (n + step - 1) / step * step;
}

// The passes of `path`, Auto meaning the widest the processor has within the
// chosen instruction set; throws when the processor cannot run `path`.
const PassSet& PassesFor(ResamplePath path);

void CheckFilter(FilterKernel kernel, float support);
void CheckSide(int side);
// The errors of ResampleBitmap, thrown before anything changes.
void CheckArguments(int ws, int hs, int wd, int hd, FilterKernel kernel, float support);

// The horizontal lists padded to one length and to whole column groups, and
// the window of the column-major block (see HorizontalPlan).
struct PaddedLists {
    std::vector<int> position;
    std::vector<float> weight;
    std::vector<int> slot;
    std::vector<int> groupEnd;
    HorizontalPlan plan{};
};

// Everything both passes need that does not depend on the rows.
struct ResamplePlan {
    ResamplePlan(int ws, int hs, int wd, int hd, FilterKernel kernel, float support,
                 ResamplePath path);
    ResamplePlan(const ResamplePlan&) = delete;
    ResamplePlan& operator=(const ResamplePlan&) = delete;

    int sourceWidth;
    int sourceHeight;
    const PassSet& passes;
    ContributorLists columnLists;
    ContributorLists rowLists;
    PaddedLists horizontal;
    // Output bytes of a row; work rows are `stride` floats apart, wide enough
    // for the padded columns the horizontal pass writes and for the whole
    // value groups the vertical pass reads.
    std::size_t values;
    std::size_t stride;
};

// The memory one stream of rows works in: work rows in a ring of `ringRows`
// slots (row n in slot n mod ringRows) and one spare row for the results of
// block rows past the bottom, and the passes' scratch.
class WorkRows {
public:
    WorkRows(const ResamplePlan& plan, int ringRows);

    // The horizontal pass over the block of blockRows source rows from
    // `firstRow` on; rowOf(k) gives source row k for the rows below the
    // bottom, lanes past it repeat the last row.
    template <class RowOf>
    void Horizontal(int firstRow, RowOf rowOf) {
        const int hs = mPlan.sourceHeight;
        for (std::size_t lane = 0; lane < mSourceRows.size(); ++lane) {
            const int k = firstRow + static_cast<int>(lane);
            mSourceRows[lane] = rowOf(std::min(k, hs - 1));
            mWorkRows[lane] = k < hs ? Row(k) : mSpareRow;
        }
        mPlan.passes.horizontal({mSourceRows.data(), mPlan.sourceWidth, mPlan.horizontal.plan,
                                 mWorkRows.data(), mHorizontalScratch.get()});
    }
    // The vertical pass for output row i, into `out`.
    void Vertical(int i, std::uint8_t* out);

private:
    float* Row(int k) {
        return mRing.get() + static_cast<std::size_t>(k) % mRingRows * mPlan.stride;
    }

    const ResamplePlan& mPlan;
    std::size_t mRingRows;
    FloatBlock mRing;
    float* mSpareRow;
    FloatBlock mHorizontalScratch;
    FloatBlock mVerticalScratch;
    std::vector<const std::uint8_t*> mSourceRows;
    std::vector<float*> mWorkRows;
    std::vector<const float*> mTapRows;
    std::vector<float> mTapWeights;
};

} // namespace pixmoth::resample
