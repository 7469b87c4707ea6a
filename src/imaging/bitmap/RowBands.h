#pragma once

#include <cstddef>
#include <functional>

namespace pixmoth {

// Runs body(firstRow, endRow) over rows 0 .. height - 1 split into bands, one
// thread per processor core (at most 8), for operations whose rows are
// independent, so the result is the same as one pass. Pictures under about a
// megabyte stay on the calling thread: starting a thread costs more than the
// work. `body` must not throw.
void ForEachRowBand(int height, std::size_t bytesPerRow,
                    const std::function<void(int firstRow, int endRow)>& body);

} // namespace pixmoth
