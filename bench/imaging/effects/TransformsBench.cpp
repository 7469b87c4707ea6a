// The geometric transforms on a 4000 x 3000 24-bit picture against a plain
// memcpy of the same bytes. Buffers are allocated and touched before timing, as
// the program's own buffers are reused from edit to edit.
#include <cstring>

#include <benchmark/benchmark.h>

#include "BenchPictures.h"
#include "imaging/bitmap/Bitmap.h"
#include "imaging/effects/TransformKernels.h"
#include "imaging/effects/Transforms.h"

namespace pixmoth {
namespace {

using bench::kHeight;
using bench::kWidth;
using bench::Picture;

void BM_Memcpy(benchmark::State& state) {
    bench::MemcpyBaseline(state, Picture());
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

void BM_RotateRight(benchmark::State& state) {
    Bitmap source = Picture();
    Bitmap target;
    RotateRight(source, target);
    for (auto _ : state) {
        RotateRight(source, target);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.ByteSize()));
}
BENCHMARK(BM_RotateRight)->Unit(benchmark::kMillisecond);

void BM_RotateLeft(benchmark::State& state) {
    Bitmap source = Picture();
    Bitmap target;
    RotateLeft(source, target);
    for (auto _ : state) {
        RotateLeft(source, target);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.ByteSize()));
}
BENCHMARK(BM_RotateLeft)->Unit(benchmark::kMillisecond);

template <void (*Op)(Bitmap&)>
void BM_InPlace(benchmark::State& state) {
    Bitmap picture = Picture();
    for (auto _ : state) {
        Op(picture);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(picture.ByteSize()));
}
BENCHMARK(BM_InPlace<FlipDown>)->Name("BM_FlipDown")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InPlace<FlipRight>)->Name("BM_FlipRight")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InPlace<MirrorHorizontal>)->Name("BM_MirrorHorizontal")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InPlace<MirrorVertical>)->Name("BM_MirrorVertical")->Unit(benchmark::kMillisecond);

// The plain path, which processors without SSSE3 or AVX2 and other
// architectures run.
void BM_RotateRightPlain(benchmark::State& state) {
    UseTransformPath(TransformPath::Plain);
    BM_RotateRight(state);
    UseTransformPath(BestTransformPath());
}
BENCHMARK(BM_RotateRightPlain)->Unit(benchmark::kMillisecond);

void BM_FlipRightPlain(benchmark::State& state) {
    UseTransformPath(TransformPath::Plain);
    BM_InPlace<FlipRight>(state);
    UseTransformPath(BestTransformPath());
}
BENCHMARK(BM_FlipRightPlain)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace pixmoth
