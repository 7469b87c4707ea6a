#include "imaging/resample/RowResampler.h"

#include <algorithm>
#include <climits>
#include <string>

#include "imaging/bitmap/Error.h"
#include "imaging/resample/ResamplePlan.h"
#include "imaging/resample/ResampleSchedule.h"

namespace pixmoth {

// The passes run in the order of ResampleSchedule: a block of work rows is
// computed once its source rows are in, which is when the output row after the
// last one written first needs it, so the ring the schedule sizes is large
// enough here too.
RowResampler::RowResampler(int sourceWidth, int sourceHeight, Bitmap& destination,
                           FilterKernel kernel, float support, ResamplePath path)
    : mDestination(destination) {
    const int wd = destination.Width();
    const int hd = destination.Height();
    resample::CheckArguments(sourceWidth, sourceHeight, wd, hd, kernel, support);
    mPlan = std::make_unique<resample::ResamplePlan>(sourceWidth, sourceHeight, wd, hd, kernel,
                                                     support, path);
    mBlockRows = mPlan->passes.blockRows;
    const resample::ResampleSchedule schedule(mPlan->rowLists, sourceHeight, mBlockRows, 0, hd);
    mWork = std::make_unique<resample::WorkRows>(*mPlan, schedule.RingRows());
    mRowBytes = resample::RoundUp(static_cast<std::size_t>(sourceWidth) * 3, 64);
    mStaging.resize(mRowBytes * static_cast<std::size_t>(mBlockRows));
    mHigh.resize(static_cast<std::size_t>(hd));
    mFirstSourceRow = INT_MAX;
    for (int i = 0; i < hd; ++i) {
        for (const Contributor& c : mPlan->rowLists.List(i)) {
            mHigh[static_cast<std::size_t>(i)] =
                std::max(mHigh[static_cast<std::size_t>(i)], c.index);
            mFirstSourceRow = std::min(mFirstSourceRow, c.index);
        }
    }
    mFirstSourceRow = std::min(mFirstSourceRow, sourceHeight - 1);
    mBlockStart = mFirstSourceRow;
    destination.Reset(wd, hd, PixelFormat::Bit24);
}

RowResampler::~RowResampler() = default;

int RowResampler::Room() const {
    const int left = mPlan->sourceHeight - mNextRow;
    if (mNextRow < mFirstSourceRow) {
        // Rows no output reads pass through the staging unused.
        return std::min(mBlockRows, mFirstSourceRow - mNextRow);
    }
    return std::min(mBlockRows - (mNextRow - mBlockStart), left);
}

std::uint8_t* RowResampler::Row(int k) {
    const int slot = mNextRow < mFirstSourceRow ? k : mNextRow - mBlockStart + k;
    if (k < 0 || k >= Room()) {
        throw Error("Row " + std::to_string(k) + " is outside the room for source rows");
    }
    return mStaging.data() + static_cast<std::size_t>(slot) * mRowBytes;
}

void RowResampler::Commit(int rows) {
    if (rows < 0 || rows > Room()) {
        throw Error("Cannot take " + std::to_string(rows) + " source rows: room for " +
                    std::to_string(Room()));
    }
    if (mNextRow < mFirstSourceRow) {
        mNextRow += rows;
        return;
    }
    mNextRow += rows;
    if (mNextRow - mBlockStart == mBlockRows || mNextRow == mPlan->sourceHeight) {
        RunBlock();
    }
}

bool RowResampler::Done() const {
    return mNextOutput == mDestination.Height();
}

void RowResampler::RunBlock() {
    const int hd = mDestination.Height();
    // Blocks past the last row any output reads are not computed.
    if (mNextOutput < hd) {
        mWork->Horizontal(mBlockStart, [this](int k) {
            return mStaging.data() + static_cast<std::size_t>(k - mBlockStart) * mRowBytes;
        });
    }
    mBlockStart += mBlockRows;
    while (mNextOutput < hd && mHigh[static_cast<std::size_t>(mNextOutput)] < mBlockStart) {
        mWork->Vertical(mNextOutput, mDestination.ScanLine(mNextOutput));
        ++mNextOutput;
    }
}

} // namespace pixmoth
