#pragma once

#include <cstddef>
#include <cstdint>

// The inner loops of the geometric transforms, in a plain version that builds
// everywhere and in versions for x86 instruction sets chosen at run time. All of
// them move 3-byte pixels and nothing else, so every version gives the same bytes.
// Internal to the transforms and their tests.
namespace pixmoth {

// Side of the square pixel blocks that the transposing kernels move at a time.
constexpr int kTransposeBlock = 8;

// Transposes `blocks` blocks of 8 x 8 pixels stacked down an 8-pixel-wide band:
// pixel (i, j) of destination row j := pixel j of source row i, for source rows
// i = 0 .. 8 * blocks - 1 and j = 0 .. 7. Row k of a picture starts at base + k
// * stride; strides may be negative, which is how the rotations fold in their
// reversal. Reads and writes only the pixels named.
using TransposeBandFn = void (*)(const std::uint8_t* source, std::ptrdiff_t sourceStride,
                                 std::uint8_t* destination, std::ptrdiff_t destinationStride,
                                 int blocks);

// to pixel i := from pixel count - 1 - i for i = 0 .. count - 1. The two ranges
// must not overlap; no byte outside them is read or written.
using CopyReversedFn = void (*)(const std::uint8_t* from, std::uint8_t* to, int count);

struct TransformKernels {
    TransposeBandFn transposeBand;
    CopyReversedFn copyReversed;
};

// Instruction sets with kernels of their own, each including the ones before it.
enum class TransformPath { Plain, Ssse3, Avx2 };

// The best path this processor runs.
TransformPath BestTransformPath();
// The path the transforms use now: the best one unless a test chose another.
TransformPath ActiveTransformPath();
// Makes the transforms use `path`, which must not be above BestTransformPath().
// For tests, which compare the paths with each other.
void UseTransformPath(TransformPath path);

const TransformKernels& TransformKernelsFor(TransformPath path);
const TransformKernels& ActiveTransformKernels();

void PlainTransposeBand(const std::uint8_t* source, std::ptrdiff_t sourceStride,
                        std::uint8_t* destination, std::ptrdiff_t destinationStride, int blocks);
void PlainCopyReversed(const std::uint8_t* from, std::uint8_t* to, int count);

#if defined(__x86_64__)
void Ssse3CopyReversed(const std::uint8_t* from, std::uint8_t* to, int count);
void Avx2TransposeBand(const std::uint8_t* source, std::ptrdiff_t sourceStride,
                       std::uint8_t* destination, std::ptrdiff_t destinationStride, int blocks);
#endif

} // namespace pixmoth
