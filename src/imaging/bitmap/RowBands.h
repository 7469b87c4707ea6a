#pragma once

#include <cstddef>
#include <functional>

namespace pixmoth {

// How many bands work over `bytes` of pixels (what it reads and writes) is
// worth splitting into: one per processor core (at most 8), fewer for small
// work, where starting a thread costs more than it saves (about a megabyte a
// band).
int BandsFor(std::size_t bytes);

// Runs body(0) .. body(bands - 1) side by side, band 0 on the calling thread
// and the others on threads of their own (or on the calling thread when no
// thread can be had), and returns when all are done. `body` must not throw.
void ForEachBand(int bands, const std::function<void(int band)>& body);

// Runs body(firstRow, endRow) over rows 0 .. height - 1 split into BandsFor
// bands (never more than there are rows), for operations whose rows are
// independent, so the result is the same as one pass.
void ForEachRowBand(int height, std::size_t bytesPerRow,
                    const std::function<void(int firstRow, int endRow)>& body);

} // namespace pixmoth
