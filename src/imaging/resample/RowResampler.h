#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/bitmap/Bitmap.h"
#include "imaging/resample/Resample.h"

namespace pixmoth {

namespace resample {
struct ResamplePlan;
class WorkRows;
} // namespace resample

// ResampleBitmap for a picture that arrives row by row, top to bottom, as a
// decoder gives it: each block of source rows goes through the horizontal pass
// as soon as it is complete, and each output row is written as soon as the
// work rows it reads are there. Only a few source rows and a ring of work rows
// are ever held, never the full-size picture; the result has the bytes
// ResampleBitmap gives for the same picture and path.
//
// The caller writes the next source rows (24-bit, blue green red, Width() * 3
// bytes) into the buffers Row(0) .. Row(Room() - 1) and hands them over with
// Commit, as often as it likes, until every source row is in.
class RowResampler {
public:
    // Throws the errors of ResampleBitmap for these sizes and filter, before
    // anything changes. `destination` keeps its size and becomes 24-bit.
    RowResampler(int sourceWidth, int sourceHeight, Bitmap& destination, FilterKernel kernel,
                 float support, ResamplePath path = ResamplePath::Auto);
    RowResampler(const RowResampler&) = delete;
    RowResampler& operator=(const RowResampler&) = delete;
    ~RowResampler();

    // How many source rows may be written before the next Commit (0 when all
    // are in).
    int Room() const;
    std::uint8_t* Row(int k);
    // The first `rows` buffers (at most Room()) hold the next source rows.
    void Commit(int rows);

    // Source rows handed over so far.
    int RowsIn() const { return mNextRow; }
    // Whether every output row has been written.
    bool Done() const;

private:
    void RunBlock();

    std::unique_ptr<resample::ResamplePlan> mPlan;
    std::unique_ptr<resample::WorkRows> mWork;
    Bitmap& mDestination;
    int mBlockRows;
    std::size_t mRowBytes;
    std::vector<std::uint8_t> mStaging; // one block of source rows
    std::vector<int> mHigh;             // per output row: the last source row it reads
    int mFirstSourceRow = 0;            // rows before it are read by no output row
    int mNextRow = 0;                   // the next source row to come
    int mBlockStart = 0;                // the source row in the staging's first slot
    int mNextOutput = 0;
};

} // namespace pixmoth
