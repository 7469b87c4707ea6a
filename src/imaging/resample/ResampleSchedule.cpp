#include "imaging/resample/ResampleSchedule.h"

#include <algorithm>
#include <climits>

namespace pixmoth::resample {

ResampleSchedule::ResampleSchedule(const ContributorLists& rows, int sourceHeight, int blockRows,
                                   int firstRow, int endRow)
    : mBlockRows(blockRows), mFirstRow(firstRow), mEndRow(endRow),
      mSuffixMinLow(static_cast<std::size_t>(endRow - firstRow) + 1, INT_MAX),
      mHigh(static_cast<std::size_t>(endRow - firstRow), -1) {
    for (int i = endRow - 1; i >= firstRow; --i) {
        const auto at = static_cast<std::size_t>(i - firstRow);
        int low = INT_MAX;
        for (const Contributor& c : rows.List(i)) {
            low = std::min(low, c.index);
            mHigh[at] = std::max(mHigh[at], c.index);
        }
        mSuffixMinLow[at] = std::min(low, mSuffixMinLow[at + 1]);
    }
    mFirstSourceRow = endRow > firstRow ? mSuffixMinLow[0] : 0;
    long long need = std::min(blockRows, sourceHeight);
    Run(
        [&](int i, int computedEnd) {
            // Rows from output row i's suffix minimum on are still to be read
            // when this block has been stored.
            const long long stored = std::min(computedEnd + blockRows, sourceHeight);
            need = std::max(need, stored - mSuffixMinLow[static_cast<std::size_t>(i - firstRow)]);
            mWorkRows += blockRows;
        },
        [](int) {});
    mRingRows = static_cast<int>(std::min<long long>(need, sourceHeight));
}

} // namespace pixmoth::resample
