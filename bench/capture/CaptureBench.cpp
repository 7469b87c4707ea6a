// The shot routine on a full 1920 x 1080 screen: from the grabbed desktop to
// the JPEG file on disk (cut, encode at quality 90, write), as after a function
// key. bench/capture/capture-vs-cjpeg.sh times `cjpeg -quality 90` on the same pixels
// (written as PPM with --ppm=PATH) in the same run.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "capture/TakeShot.h"

namespace pixmoth {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// A desktop-like picture: a gradient wallpaper, flat window areas with title
// bars, and lines of small dark marks standing for text.
Bitmap Desktop() {
    Bitmap screen(kWidth, kHeight, PixelFormat::Bit32);
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* row = screen.ScanLine(y);
        for (int x = 0; x < kWidth; ++x) {
            std::uint8_t* p = row + 4 * x;
            const bool window = x > 200 && x < 1400 && y > 120 && y < 900;
            const bool title = window && y < 150;
            const unsigned h = (static_cast<unsigned>(x) * 2654435761u) ^ (y * 40503u);
            const bool text =
                window && !title && (y % 18) < 11 && (x % 220) < 180 && ((h >> 7) & 3) == 0;
            if (title) {
                p[0] = 200, p[1] = 120, p[2] = 40;
            } else if (text) {
                p[0] = p[1] = p[2] = 30;
            } else if (window) {
                p[0] = p[1] = p[2] = 245;
            } else {
                p[0] = static_cast<std::uint8_t>(80 + x / 16);
                p[1] = static_cast<std::uint8_t>(40 + y / 8);
                p[2] = static_cast<std::uint8_t>(60 + (x + y) / 24);
            }
            p[3] = 0;
        }
    }
    return screen;
}

void WritePpm(const Bitmap& screen, const std::string& path) {
    // The area a shot of the whole screen stores: the screen less a one-pixel border.
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", kWidth - 2, kHeight - 2);
    for (int y = 1; y < kHeight - 1; ++y) {
        const std::uint8_t* p = screen.ScanLine(y) + 4;
        for (int x = 1; x < kWidth - 1; ++x, p += 4) {
            const std::uint8_t rgb[3] = {p[2], p[1], p[0]};
            std::fwrite(rgb, 1, 3, file);
        }
    }
    std::fclose(file);
}

void BM_ShotOfTheWholeScreen(benchmark::State& state) {
    const Bitmap screen = Desktop();
    const std::string dir =
        (std::filesystem::temp_directory_path() / "pixmoth-bench-shots/").string();
    std::filesystem::remove_all(dir);
    for (auto _ : state) {
        const std::string path = TakeShot(screen, 1, {}, dir);
        state.PauseTiming();
        std::filesystem::remove(path); // the next shot takes the same name
        state.ResumeTiming();
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ShotOfTheWholeScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace pixmoth

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--ppm=", 6) == 0) {
            pixmoth::WritePpm(pixmoth::Desktop(), argv[i] + 6);
            return 0;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
