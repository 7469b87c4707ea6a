#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include <benchmark/benchmark.h>

#include "imaging/bitmap/Bitmap.h"

// The picture size and content the benchmarks share: a 12-megapixel photo-sized
// 24-bit picture whose bytes vary, so no operation gets an easy constant input.
namespace pixmoth::bench {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

inline Bitmap Picture(int width = kWidth, int height = kHeight) {
    Bitmap bitmap(width, height);
    for (std::size_t i = 0; i < bitmap.ByteSize(); ++i) {
        bitmap.Bits()[i] = static_cast<std::uint8_t>(i * 7 + (i >> 12));
    }
    return bitmap;
}

// The baseline the figures are ratios to: a memcpy of the picture into a second
// buffer, both allocated and touched before timing.
inline void MemcpyBaseline(benchmark::State& state, const Bitmap& source) {
    Bitmap target = source;
    for (auto _ : state) {
        std::memcpy(target.Bits(), source.Bits(), source.ByteSize());
        benchmark::DoNotOptimize(target.Bits());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.ByteSize()));
}

} // namespace pixmoth::bench
