#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include <limits.h>
#include <sys/uio.h>

// Walks a list of buffers through preadv/pwritev-style calls, which take at most
// IOV_MAX buffers at a time and may move fewer bytes than asked for.
namespace pixmoth {

class IoVectorCursor {
public:
    explicit IoVectorCursor(const std::vector<iovec>& pieces) : mPieces(pieces) { SkipEmpty(); }

    bool Done() const { return mPiece == mPieces.size(); }

    // Fills `batch` (room for IOV_MAX entries) with the buffers still to move;
    // returns how many it filled.
    int Next(iovec* batch) const {
        int count = 0;
        for (std::size_t i = mPiece; i < mPieces.size() && count < IOV_MAX; ++i) {
            const std::size_t skip = i == mPiece ? mWithin : 0;
            batch[count++] =
                iovec{static_cast<char*>(mPieces[i].iov_base) + skip, mPieces[i].iov_len - skip};
        }
        return count;
    }

    // Records that the call moved `bytes` bytes.
    void Advance(std::size_t bytes) {
        while (bytes > 0 && !Done()) {
            const std::size_t take = std::min(bytes, mPieces[mPiece].iov_len - mWithin);
            bytes -= take;
            mWithin += take;
            SkipEmpty();
        }
    }

private:
    void SkipEmpty() {
        while (!Done() && mWithin == mPieces[mPiece].iov_len) {
            ++mPiece;
            mWithin = 0;
        }
    }

    const std::vector<iovec>& mPieces;
    std::size_t mPiece = 0;
    std::size_t mWithin = 0;
};

} // namespace pixmoth
