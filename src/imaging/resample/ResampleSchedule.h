#pragma once

#include <vector>

#include "imaging/resample/Resample.h"

// Internal to Resample.cpp.
namespace pixmoth::resample {

// The order in which both passes run for a band of output rows: output rows
// top to bottom, and before each one the horizontal pass computes blocks of
// work rows until every row that output row reads is there, starting at the
// lowest row the band reads. Work rows live in a ring of `RingRows()` slots
// (row n in slot n mod RingRows()), just large enough that no block
// overwrites a row that the current or a later output row of the band still
// reads, so the work picture stays in the cache instead of making a round trip
// through memory. Each work row depends on its source row alone, so bands that
// share a source row compute the same values for it.
class ResampleSchedule {
public:
    ResampleSchedule(const ContributorLists& rows, int sourceHeight, int blockRows, int firstRow,
                     int endRow);

    int RingRows() const { return mRingRows; }
    // How many work rows the band computes (whole blocks, rows past the
    // bottom included).
    long long WorkRows() const { return mWorkRows; }

    // Calls block(i, firstSourceRow) for every block of work rows, in order,
    // right before output row i needs it; row(i) for every output row.
    template <class Block, class Row>
    void Run(Block block, Row row) const {
        int computedEnd = mFirstSourceRow;
        for (int i = mFirstRow; i < mEndRow; ++i) {
            while (computedEnd <= mHigh[static_cast<std::size_t>(i - mFirstRow)]) {
                block(i, computedEnd);
                computedEnd += mBlockRows;
            }
            row(i);
        }
    }

private:
    int mBlockRows;
    int mFirstRow;
    int mEndRow;
    int mFirstSourceRow = 0;
    // Per output row of the band: the lowest row it or a later row of the
    // band reads, and the highest row it reads.
    std::vector<int> mSuffixMinLow;
    std::vector<int> mHigh;
    int mRingRows = 1;
    long long mWorkRows = 0;
};

} // namespace pixmoth::resample
