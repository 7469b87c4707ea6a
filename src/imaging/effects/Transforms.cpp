#include "imaging/effects/Transforms.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "imaging/bitmap/Error.h"
#include "imaging/bitmap/InstructionSet.h"
#include "imaging/bitmap/RowBands.h"
#include "imaging/effects/TransformKernels.h"

namespace pixmoth {

namespace {

// Source rows per tile of a rotation. A tile's bands are walked left to right:
// 8 source columns at a time, whose destination is 8 rows of 3 * kTileRows
// bytes. The tile's source rows stay in the first-level cache from one band to
// the next, which reuses the rest of the cache lines the band before touched.
constexpr int kTileRows = 64;
// A tile reads kTileRows rows side by side and writes 8 rows at a time, more
// streams than the hardware prefetchers follow, so the walk asks for the memory
// itself: the source pixels kPrefetchColumns to the right in every row of the
// tile, and the destination rows kPrefetchBands bands ahead. Both go to the
// second-level cache only: prefetching into the first level as well gained
// little (it competes with the kernel's own loads and stores), the second level
// alone nearly halved the rotation's time.
constexpr int kPrefetchColumns = 160;
constexpr int kPrefetchBands = 2;

// Plain block layout: a pixel at a time through row pointers; the compiler
// unrolls the 8 x 8 block.
inline void CopyPixel(std::uint8_t* to, const std::uint8_t* from) {
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
}

// Pixel i of destination row j := pixel j of source row i, for i < rows, j < cols.
inline void TransposePixels(const std::uint8_t* source, std::ptrdiff_t sourceStride,
                            std::uint8_t* destination, std::ptrdiff_t destinationStride, int rows,
                            int cols) {
    for (int j = 0; j < cols; ++j) {
        std::uint8_t* out = destination + j * destinationStride;
        const std::uint8_t* in = source + j * 3;
        for (int i = 0; i < rows; ++i, in += sourceStride, out += 3) {
            CopyPixel(out, in);
        }
    }
}

// Always inlined: as a function of its own, GCC finds it free of side effects
// and drops the call.
[[gnu::always_inline]] inline void PrefetchBand(const std::uint8_t* source,
                                                std::ptrdiff_t sourceStride, int rows,
                                                std::uint8_t* destination,
                                                std::ptrdiff_t destinationStride, bool nextSource,
                                                bool nextDestination) {
    if (nextSource) {
        const std::uint8_t* ahead = source + kPrefetchColumns * 3;
        for (int i = 0; i < rows; ++i, ahead += sourceStride) {
            __builtin_prefetch(ahead, 0, 2);
        }
    }
    if (nextDestination) {
        std::uint8_t* ahead = destination + kPrefetchBands * kTransposeBlock * destinationStride;
        for (int j = 0; j < kTransposeBlock; ++j, ahead += destinationStride) {
            for (int offset = 0; offset < rows * 3; offset += 64) {
                __builtin_prefetch(ahead + offset, 1, 2);
            }
            __builtin_prefetch(ahead + rows * 3 - 1, 1, 2);
        }
    }
}

// The whole transposition: full blocks through the kernel, tile by tile; the
// right-hand columns and bottom rows that do not fill a block pixel by pixel.
void Transpose(const std::uint8_t* source, std::ptrdiff_t sourceStride, std::uint8_t* destination,
               std::ptrdiff_t destinationStride, int rows, int cols,
               const TransformKernels& kernels) {
    const int blockRows = rows - rows % kTransposeBlock;
    const int blockCols = cols - cols % kTransposeBlock;
    for (int r0 = 0; r0 < blockRows; r0 += kTileRows) {
        const int tileRows = std::min(kTileRows, blockRows - r0);
        for (int c0 = 0; c0 < blockCols; c0 += kTransposeBlock) {
            const std::uint8_t* from = source + r0 * sourceStride + c0 * 3;
            std::uint8_t* to = destination + c0 * destinationStride + r0 * 3;
            PrefetchBand(from, sourceStride, tileRows, to, destinationStride,
                         c0 + kPrefetchColumns < cols,
                         c0 + (kPrefetchBands + 1) * kTransposeBlock <= blockCols);
            kernels.transposeBand(from, sourceStride, to, destinationStride,
                                  tileRows / kTransposeBlock);
        }
    }
    TransposePixels(source + blockCols * 3, sourceStride,
                    destination + blockCols * destinationStride, destinationStride, rows,
                    cols - blockCols);
    TransposePixels(source + blockRows * sourceStride, sourceStride, destination + blockRows * 3,
                    destinationStride, rows - blockRows, blockCols);
}

// Both rotations are a transposition with one side walked backwards:
// clockwise, destination row x is source column x read from the bottom row up;
// counter-clockwise, source column x is destination row W - 1 - x read top-down.
void Rotate(const PixelRows& source, Bitmap& destination, bool clockwise) {
    const int w = source.width;
    const int h = source.height;
    destination.Reset(h, w, PixelFormat::Bit24);
    if (w == 0 || h == 0) {
        return;
    }
    const std::uint8_t* src = source.top;
    std::ptrdiff_t srcStride = source.stride;
    std::uint8_t* dst = destination.Bits();
    std::ptrdiff_t dstStride = destination.Stride();
    if (clockwise) {
        src += (h - 1) * srcStride;
        srcStride = -srcStride;
    } else {
        dst += (w - 1) * dstStride;
        dstStride = -dstStride;
    }
    // Destination rows are independent of each other, so the cores can share
    // them; the bytes written are the same however they are split.
    const TransformKernels& kernels = ActiveTransformKernels();
    ForEachRowBand(w, static_cast<std::size_t>(destination.Stride()), [&](int first, int end) {
        Transpose(src + first * 3, srcStride, dst + first * dstStride, dstStride, h, end - first,
                  kernels);
    });
}

void Rotate(Bitmap& source, Bitmap& destination, bool clockwise) {
    if (&source == &destination) {
        Bitmap copy(source);
        Rotate(copy, destination, clockwise);
        return;
    }
    source.To24Bit();
    Rotate(PixelRows{source.Bits(), source.Stride(), source.Width(), source.Height()}, destination,
           clockwise);
}

// Swaps two non-overlapping byte ranges through a small buffer that stays in
// registers or the first-level cache.
void SwapBytes(std::uint8_t* a, std::uint8_t* b, std::size_t bytes) {
    constexpr std::size_t kChunk = 64;
    std::uint8_t temp[kChunk];
    for (; bytes >= kChunk; bytes -= kChunk, a += kChunk, b += kChunk) {
        std::memcpy(temp, a, kChunk);
        std::memcpy(a, b, kChunk);
        std::memcpy(b, temp, kChunk);
    }
    std::memcpy(temp, a, bytes);
    std::memcpy(a, b, bytes);
    std::memcpy(b, temp, bytes);
}

const TransformKernels kPlainKernels{PlainTransposeBand, PlainCopyReversed};
#if defined(__x86_64__)
const TransformKernels kSsse3Kernels{PlainTransposeBand, Ssse3CopyReversed};
const TransformKernels kAvx2Kernels{Avx2TransposeBand, Ssse3CopyReversed};
#endif

// The widest path within `set`.
TransformPath PathWithin(InstructionSet set) {
    switch (set) {
    case InstructionSet::Plain:
        return TransformPath::Plain;
    case InstructionSet::Ssse3:
        return TransformPath::Ssse3;
    default:
        return TransformPath::Avx2;
    }
}

// The path a test chose, or -1 for the best one.
std::atomic<int> gChosenPath{-1};

} // namespace

void PlainTransposeBand(const std::uint8_t* source, std::ptrdiff_t sourceStride,
                        std::uint8_t* destination, std::ptrdiff_t destinationStride, int blocks) {
    for (int b = 0; b < blocks; ++b) {
        TransposePixels(source, sourceStride, destination, destinationStride, kTransposeBlock,
                        kTransposeBlock);
        source += kTransposeBlock * sourceStride;
        destination += kTransposeBlock * 3;
    }
}

void PlainCopyReversed(const std::uint8_t* from, std::uint8_t* to, int count) {
    const std::uint8_t* in = from + static_cast<std::ptrdiff_t>(count) * 3;
    for (int i = 0; i < count; ++i, to += 3) {
        in -= 3;
        CopyPixel(to, in);
    }
}

TransformPath BestTransformPath() {
    static const TransformPath best = PathWithin(ProcessorInstructionSet());
    return best;
}

TransformPath ActiveTransformPath() {
    // Unless a test chose one: the widest path within the chosen instruction set.
    static const TransformPath allowed = PathWithin(ChosenInstructionSet());
    const int chosen = gChosenPath.load(std::memory_order_relaxed);
    return chosen < 0 ? allowed : static_cast<TransformPath>(chosen);
}

void UseTransformPath(TransformPath path) {
    if (static_cast<int>(path) > static_cast<int>(BestTransformPath())) {
        throw Error("This processor cannot run the requested instruction set");
    }
    gChosenPath.store(static_cast<int>(path), std::memory_order_relaxed);
}

const TransformKernels& TransformKernelsFor(TransformPath path) {
    switch (path) {
#if defined(__x86_64__)
    case TransformPath::Avx2:
        return kAvx2Kernels;
    case TransformPath::Ssse3:
        return kSsse3Kernels;
#endif
    default:
        return kPlainKernels;
    }
}

const TransformKernels& ActiveTransformKernels() {
    return TransformKernelsFor(ActiveTransformPath());
}

void RotateRight(Bitmap& source, Bitmap& destination) {
    Rotate(source, destination, true);
}

void RotateLeft(Bitmap& source, Bitmap& destination) {
    Rotate(source, destination, false);
}

void RotateRightFromRows(const PixelRows& source, Bitmap& destination) {
    Rotate(source, destination, true);
}

void RotateLeftFromRows(const PixelRows& source, Bitmap& destination) {
    Rotate(source, destination, false);
}

// The flips work in place: the result equals the one built in a work bitmap, and
// a fresh picture-sized buffer would cost more in page faults than the flip.
// A row is flipped by exchanging its halves reversed; the middle pixel of an odd
// width stays where it is.
void FlipRight(Bitmap& bitmap) {
    bitmap.To24Bit();
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    if (w < 2 || h == 0) {
        return;
    }
    const int half = w / 2;
    const std::size_t halfBytes = static_cast<std::size_t>(half) * 3;
    const std::size_t rightHalf = static_cast<std::size_t>(w - half) * 3;
    const TransformKernels& kernels = ActiveTransformKernels();
    std::vector<std::uint8_t> left(halfBytes);
    std::uint8_t* row = bitmap.Bits();
    for (int y = 0; y < h; ++y, row += bitmap.Stride()) {
        std::memcpy(left.data(), row, halfBytes);
        kernels.copyReversed(row + rightHalf, row, half);
        kernels.copyReversed(left.data(), row + rightHalf, half);
    }
}

void FlipDown(Bitmap& bitmap) {
    bitmap.To24Bit();
    const int h = bitmap.Height();
    if (h < 2 || bitmap.Width() == 0) {
        return;
    }
    const std::size_t bytes = static_cast<std::size_t>(bitmap.Width()) * 3;
    const std::ptrdiff_t stride = bitmap.Stride();
    std::uint8_t* top = bitmap.Bits();
    std::uint8_t* bottom = top + (h - 1) * stride;
    for (; top < bottom; top += stride, bottom -= stride) {
        SwapBytes(top, bottom, bytes);
    }
}

void MirrorHorizontal(Bitmap& bitmap) {
    bitmap.To24Bit();
    const int h = bitmap.Height();
    if (h < 2 || bitmap.Width() == 0) {
        return;
    }
    const std::size_t bytes = static_cast<std::size_t>(bitmap.Width()) * 3;
    const std::ptrdiff_t stride = bitmap.Stride();
    const std::uint8_t* top = bitmap.Bits();
    std::uint8_t* bottom = bitmap.Bits() + (h - 1) * stride;
    for (; top < bottom; top += stride, bottom -= stride) {
        std::memcpy(bottom, top, bytes);
    }
}

// The right half becomes the left half reversed; an odd width's middle pixel stays.
void MirrorVertical(Bitmap& bitmap) {
    bitmap.To24Bit();
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    if (w < 2 || h == 0) {
        return;
    }
    const int half = w / 2;
    const std::size_t rightHalf = static_cast<std::size_t>(w - half) * 3;
    const TransformKernels& kernels = ActiveTransformKernels();
    std::uint8_t* row = bitmap.Bits();
    for (int y = 0; y < h; ++y, row += bitmap.Stride()) {
        kernels.copyReversed(row, row + rightHalf, half);
    }
}

} // namespace pixmoth
