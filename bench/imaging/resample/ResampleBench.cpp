// ResampleBitmap on the four sizes the peers are compared on (see
// bench/imaging/resample/resample_peers.sh), once per instruction-set path. The destination is
// allocated before timing, as the dialogs and the icon converter size theirs
// before the call.
//
// The pictures are read from $PIXMOTH_RESAMPLE_PICTURES/{large,small}.ppm when
// that folder is set (the peer script makes them, so both sides resample the
// same pixels); otherwise a photo-like picture is made here.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include <benchmark/benchmark.h>

#include "imaging/bitmap/Bitmap.h"
#include "imaging/resample/Resample.h"

namespace pixmoth {
namespace {

// Binary PPM (P6, maxval 255) to a 24-bit bitmap.
Bitmap ReadPpm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0;
    int height = 0;
    int maxval = 0;
    in >> magic >> width >> height >> maxval;
    in.get();
    if (!in || magic != "P6" || maxval != 255 || width < 1 || height < 1) {
        throw std::runtime_error("not a P6 PPM with maxval 255: " + path);
    }
    Bitmap bitmap(width, height);
    std::string rgb(static_cast<std::size_t>(width) * 3, '\0');
    for (int y = 0; y < height; ++y) {
        in.read(rgb.data(), static_cast<std::streamsize>(rgb.size()));
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(rgb[3 * x + 2]);
            row[3 * x + 1] = static_cast<std::uint8_t>(rgb[3 * x + 1]);
            row[3 * x + 2] = static_cast<std::uint8_t>(rgb[3 * x]);
        }
    }
    if (!in) {
        throw std::runtime_error("PPM cut short: " + path);
    }
    return bitmap;
}

// Smooth gradients with some fine detail, like a photograph.
Bitmap MakePicture(int width, int height) {
    Bitmap bitmap(width, height);
    std::uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int n = static_cast<int>(noise >> 28);
            row[3 * x] = static_cast<std::uint8_t>((x * 255 / width + n) & 255);
            row[3 * x + 1] = static_cast<std::uint8_t>((y * 255 / height + n) & 255);
            row[3 * x + 2] = static_cast<std::uint8_t>(((x + y) * 4 + n) & 255);
        }
    }
    return bitmap;
}

const Bitmap& Picture(bool large) {
    static const std::array<Bitmap, 2> pictures = [] {
        const char* folder = std::getenv("PIXMOTH_RESAMPLE_PICTURES");
        if (folder != nullptr && *folder != '\0') {
            return std::array<Bitmap, 2>{ReadPpm(std::string(folder) + "/small.ppm"),
                                         ReadPpm(std::string(folder) + "/large.ppm")};
        }
        return std::array<Bitmap, 2>{MakePicture(640, 480), MakePicture(4000, 3000)};
    }();
    return pictures[large ? 1 : 0];
}

void Resample(benchmark::State& state, bool large, int width, int height, const char* filterName,
              ResamplePath path, int threads) {
    const FilterEntry& filter = *FindFilter(filterName);
    Bitmap source = Picture(large);
    Bitmap destination(width, height);
    for (auto _ : state) {
        ResampleBitmap(source, destination, filter.kernel, filter.support, path, threads);
        benchmark::DoNotOptimize(destination.Bits());
        benchmark::ClobberMemory();
    }
    const double sourcePixels = static_cast<double>(source.Width()) * source.Height();
    const double destPixels = static_cast<double>(width) * height;
    state.counters["src_MP/s"] =
        benchmark::Counter(sourcePixels * 1e-6 * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["dst_MP/s"] =
        benchmark::Counter(destPixels * 1e-6 * state.iterations(), benchmark::Counter::kIsRate);
}

void Register() {
    struct Case {
        const char* name;
        bool large;
        int width;
        int height;
        const char* filter;
    };
    const Case cases[] = {
        {"4000x3000_800x600_Lanczos3", true, 800, 600, "Lanczos3"},
        {"4000x3000_800x600_Mitchell", true, 800, 600, "Mitchell"},
        {"4000x3000_800x600_Triangle", true, 800, 600, "Triangle"},
        {"640x480_2560x1920_Lanczos3", false, 2560, 1920, "Lanczos3"},
    };
    for (const Case& c : cases) {
        for (ResamplePath path : {ResamplePath::Avx512, ResamplePath::Avx2, ResamplePath::Plain}) {
            if (!ResamplePathAvailable(path)) {
                continue;
            }
            // Every core as the program runs it, and one thread for the
            // processor time of the work alone.
            for (int threads : {0, 1}) {
                const std::string name = std::string("BM_Resample/") + c.name + "/" +
                                         ResamplePathName(path) + (threads == 1 ? "/1thread" : "");
                benchmark::RegisterBenchmark(name.c_str(), Resample, c.large, c.width, c.height,
                                             c.filter, path, threads)
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime();
            }
        }
    }
}

const int kRegistered = (Register(), 0);

} // namespace
} // namespace pixmoth
