// The neighbourhood and distortion effects on a 4000 x 3000 24-bit picture
// against a plain memcpy of the same bytes. Each effect works in place, so the
// picture is restored (untimed) before every run: branches and ripple offsets
// then see the same photo-like content each time.
//
// With PIXMOTH_BENCH_DUMP=FILE the picture's pixel bytes (4000 x 3000 x 3, rows
// without padding) are written to FILE first, so a script can time other
// programs on the very same picture.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <benchmark/benchmark.h>

#include "BenchPictures.h"
#include "imaging/bitmap/Bitmap.h"
#include "imaging/effects/BlurEffects.h"
#include "imaging/effects/EdgeEffects.h"
#include "imaging/effects/RippleEffects.h"
#include "imaging/effects/TileEffects.h"

namespace pixmoth {
namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// Smooth gradients with a little noise, like a photograph: neighbouring pixels
// are close but rarely equal.
const Bitmap& Picture() {
    static const Bitmap picture = [] {
        Bitmap bitmap(kWidth, kHeight);
        std::uint32_t noise = 1;
        for (int y = 0; y < kHeight; ++y) {
            std::uint8_t* row = bitmap.ScanLine(y);
            for (int x = 0; x < kWidth; ++x) {
                noise = noise * 1664525u + 1013904223u;
                const int n = static_cast<int>(noise >> 29); // 0 .. 7
                const double wave = 60 * std::sin(x / 170.0) * std::cos(y / 230.0);
                row[3 * x] = static_cast<std::uint8_t>(std::lround(120 + wave) + n);
                row[3 * x + 1] = static_cast<std::uint8_t>((x + y) / 28 + n);
                row[3 * x + 2] = static_cast<std::uint8_t>(255 - y / 12 - n);
            }
        }
        if (const char* dump = std::getenv("PIXMOTH_BENCH_DUMP")) {
            std::FILE* file = std::fopen(dump, "wb");
            if (file == nullptr ||
                std::fwrite(bitmap.Bits(), 1, bitmap.ByteSize(), file) != bitmap.ByteSize() ||
                std::fclose(file) != 0) {
                std::fprintf(stderr, "cannot write %s\n", dump);
                std::exit(1);
            }
        }
        return bitmap;
    }();
    return picture;
}

void BM_Memcpy(benchmark::State& state) {
    bench::MemcpyBaseline(state, Picture());
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

template <typename Effect>
void RunEffect(benchmark::State& state, Effect effect) {
    const Bitmap& source = Picture();
    Bitmap picture = source;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(picture.Bits(), source.Bits(), source.ByteSize());
        state.ResumeTiming();
        effect(picture);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.ByteSize()));
}

void BM_GaussianBlur1(benchmark::State& state) {
    RunEffect(state, [](Bitmap& b) { GaussianBlur(b, 1); });
}
BENCHMARK(BM_GaussianBlur1)->Unit(benchmark::kMillisecond);

void BM_SplitBlur(benchmark::State& state) {
    const int amount = static_cast<int>(state.range(0));
    RunEffect(state, [amount](Bitmap& b) { SplitBlur(b, amount); });
}
BENCHMARK(BM_SplitBlur)->Arg(3)->Arg(50)->Unit(benchmark::kMillisecond);

void BM_Emboss(benchmark::State& state) {
    RunEffect(state, [](Bitmap& b) { Emboss(b); });
}
BENCHMARK(BM_Emboss)->Unit(benchmark::kMillisecond);

void BM_Shadow(benchmark::State& state) {
    RunEffect(state, [](Bitmap& b) { Shadow(b); });
}
BENCHMARK(BM_Shadow)->Unit(benchmark::kMillisecond);

void BM_AntiAlias(benchmark::State& state) {
    RunEffect(state, [](Bitmap& b) { AntiAlias(b); });
}
BENCHMARK(BM_AntiAlias)->Unit(benchmark::kMillisecond);

void BM_Mosaic(benchmark::State& state) {
    RunEffect(state, [](Bitmap& b) { Mosaic(b, 10); });
}
BENCHMARK(BM_Mosaic)->Unit(benchmark::kMillisecond);

void BM_HeightMap(benchmark::State& state) {
    RunEffect(state, [](Bitmap& b) { HeightMap(b, 20); });
}
BENCHMARK(BM_HeightMap)->Unit(benchmark::kMillisecond);

void BM_RippleTooth(benchmark::State& state) {
    RunEffect(state, [](Bitmap& b) { RippleTooth(b, 10); });
}
BENCHMARK(BM_RippleTooth)->Unit(benchmark::kMillisecond);

void BM_RippleTriangle(benchmark::State& state) {
    RunEffect(state, [](Bitmap& b) { RippleTriangle(b, 10); });
}
BENCHMARK(BM_RippleTriangle)->Unit(benchmark::kMillisecond);

void BM_RippleRandom(benchmark::State& state) {
    RunEffect(state, [](Bitmap& b) { RippleRandom(b, 10); });
}
BENCHMARK(BM_RippleRandom)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace pixmoth
