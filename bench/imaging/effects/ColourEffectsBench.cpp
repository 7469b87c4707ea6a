// The colour effects on a 4000 x 3000 24-bit picture against a plain memcpy of
// the same bytes, in the same run. BM_<Effect> is the effect as the program
// calls it (fastest loops, all cores); BM_Plain/..., BM_Avx2/... run one
// loop set (plain, AVX2, AVX-512 where the processor has them) on one thread
// over the whole picture, to show what each step buys. Times are wall times;
// the CPU column is the whole process's, all threads.
#include <cstring>
#include <string>

#include <benchmark/benchmark.h>

#include "BenchPictures.h"
#include "imaging/bitmap/Bitmap.h"
#include "imaging/bitmap/Random.h"
#include "imaging/effects/ColourEffects.h"
#include "imaging/effects/ColourKernels.h"

namespace pixmoth {
namespace {

using bench::kHeight;
using bench::kWidth;
using bench::Picture;

void Bytes(benchmark::State& state, const Bitmap& picture) {
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(picture.ByteSize()));
}

void BM_Memcpy(benchmark::State& state) {
    bench::MemcpyBaseline(state, Picture());
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

// Each iteration starts from the same picture, so effects that would settle
// (grey of grey, black after darkening) keep working on the same data.
template <typename Effect>
void RunInPlace(benchmark::State& state, Effect effect) {
    const Bitmap original = Picture();
    Bitmap picture = original;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(picture.Bits(), original.Bits(), original.ByteSize());
        state.ResumeTiming();
        effect(picture);
        benchmark::ClobberMemory();
    }
    Bytes(state, picture);
}

template <void (*Effect)(Bitmap&, Bitmap&, int)>
void TwoBitmaps(benchmark::State& state, int value) {
    Bitmap source = Picture();
    Bitmap destination = Picture();
    for (auto _ : state) {
        Effect(source, destination, value);
        benchmark::ClobberMemory();
    }
    Bytes(state, source);
}

void Register() {
    const auto add = [](const std::string& name, auto run) {
        benchmark::RegisterBenchmark(name.c_str(), run)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MeasureProcessCPUTime();
    };
    const auto inPlace = [&](const std::string& name, auto effect) {
        add(name, [effect](benchmark::State& s) { RunInPlace(s, effect); });
    };
    inPlace("BM_GreyScale", [](Bitmap& b) { GreyScale(b); });
    inPlace("BM_Invert", [](Bitmap& b) { Invert(b); });
    add("BM_Solarize", [](benchmark::State& s) { TwoBitmaps<Solarize>(s, 100); });
    add("BM_Posterize", [](benchmark::State& s) { TwoBitmaps<Posterize>(s, 21); });
    inPlace("BM_KeepBlue", [](Bitmap& b) { KeepBlue(b, 1.5); });
    inPlace("BM_KeepGreen", [](Bitmap& b) { KeepGreen(b, 1.5); });
    inPlace("BM_KeepRed", [](Bitmap& b) { KeepRed(b, 1.5); });
    inPlace("BM_Darken", [](Bitmap& b) { Darken(b, 100); });
    inPlace("BM_Lightness", [](Bitmap& b) { Lightness(b, 1000); });
    inPlace("BM_Contrast", [](Bitmap& b) { Contrast(b, 1000); });
    inPlace("BM_Saturation", [](Bitmap& b) { Saturation(b, 1000); });
    inPlace("BM_AddColorNoise", [](Bitmap& b) { AddColorNoise(b, 100); });
    inPlace("BM_AddMonoNoise", [](Bitmap& b) { AddMonoNoise(b, 100); });

    // One loop set, one thread, the whole picture as one band.
    const std::pair<std::string, const colour::Kernels*> sets[] = {
        {"Plain", &colour::PlainKernels()},
        {"Avx2", colour::Avx2Kernels()},
        {"Avx512", colour::Avx512Kernels()}};
    for (const auto& entry : sets) {
        const colour::Kernels* k = entry.second;
        if (k == nullptr) {
            continue;
        }
        const auto band = [](Bitmap& b) {
            return colour::Band{b.Bits(), b.Bits(), b.Stride(), b.Stride(), b.Width(), b.Height()};
        };
        colour::ToneMap posterize;
        for (int c = 0; c < 256; ++c) {
            posterize.level[c] = static_cast<std::uint8_t>(c / 21 * 21);
        }
        const std::string prefix = "BM_" + entry.first + "/";
        inPlace(prefix + "Grey", [k, band](Bitmap& b) { k->grey(band(b)); });
        inPlace(prefix + "Tone", [k, band, posterize](Bitmap& b) { k->tone(band(b), posterize); });
        inPlace(prefix + "Solarize", [k, band](Bitmap& b) { k->solarize(band(b), 100); });
        inPlace(prefix + "Saturation", [k, band](Bitmap& b) { k->saturation(band(b), 1000); });
        inPlace(prefix + "ColorNoise", [k, band](Bitmap& b) { k->colorNoise(band(b), 100, 1); });
        inPlace(prefix + "MonoNoise", [k, band](Bitmap& b) { k->monoNoise(band(b), 100, 1); });
    }
}

const bool kRegistered = (Register(), true);

} // namespace
} // namespace pixmoth
