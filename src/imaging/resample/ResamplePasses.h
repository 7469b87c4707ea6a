#pragma once

#include <cstddef>
#include <cstdint>

// The two passes of ResampleBitmap, one implementation per instruction set.
// Internal to Resample.cpp and its pass files.
//
// The work picture is held as floats: the horizontal pass rounds and clamps
// every value to a whole number 0 .. 255 before storing it, so the vertical
// pass reads exactly the bytes a 24-bit work bitmap would hold, without
// converting them again for every tap.
//
// Every implementation must give the same bits: each output value is a single
// precision sum that starts at +0 and adds value x weight for its contributors
// in list order, one rounding per multiply and per add (never a fused
// multiply-add). Implementations may compute many such sums side by side in
// vector lanes, but never split or reorder one sum.
namespace pixmoth::resample {

// The vector paths first turn their block of source rows into a column-major
// block of floats (value p of lane r at slot(p) * lanes + r), this many row
// bytes at a time.
constexpr int kBlockChunk = 16;

// The horizontal contributor lists, every list padded to `taps` entries. A
// padding entry has weight +0 and the index of a neighbouring entry: adding
// value x (+0) to a sum that started at +0 changes no bit of it, so padding
// is free of effect.
struct HorizontalPlan {
    int columns; // destination columns, padded to the path's columnGroup
    int taps;
    const int* position; // byte offset of the source pixel in its row (3 x index)
    const float* weight; // both indexed [column * taps + t]
    // The column-major block holds only a window of the row, value p in slot
    // p mod window, so it stays in the first-level cache. `window` is a
    // multiple of 48: a pixel's three values never straddle the wrap.
    int window;
    const int* slot; // position mod window, [column * taps + t]
    // Per group of columnGroup columns: row bytes 0 .. groupEnd - 1 must have
    // been put into the block before the group's sums start. Non-decreasing;
    // multiples of kBlockChunk except for the full row length. Filling up to
    // groupEnd never overwrites a slot that this or a later group still reads.
    const int* groupEnd;
};

struct HorizontalJob {
    // blockRows source rows; rows past the bottom repeat the last row.
    const std::uint8_t* const* sourceRows;
    int sourceWidth;
    HorizontalPlan plan;
    // blockRows work rows of at least plan.columns x 3 floats, each written in
    // full (padding columns included).
    float* const* workRows;
    float* scratch; // horizontalScratch(plan.window) floats, 64-byte aligned
};

struct VerticalJob {
    const float* const* rows; // the work row of every contributor, in list order
    const float* weights;
    int count;
    // Output bytes of the row. Work rows may be read up to `values` rounded up
    // to valueGroup; they hold finite numbers there.
    int values;
    std::uint8_t* out; // exactly `values` bytes are written
    float* scratch;    // `values` rounded up to valueGroup floats, 64-byte aligned
};

struct PassSet {
    int blockRows;   // source rows per horizontal call
    int columnGroup; // the horizontal plan's column count is a multiple of this
    int valueGroup;
    std::size_t (*horizontalScratch)(int window);
    void (*horizontal)(const HorizontalJob& job);
    void (*vertical)(const VerticalJob& job);
};

const PassSet& PlainPasses();
const PassSet& Avx2Passes();
const PassSet& Avx512Passes();

} // namespace pixmoth::resample
