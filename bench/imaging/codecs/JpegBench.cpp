// JPEG encoding and decoding of a 4000 x 3000 picture, in process, timed as the
// peer's own benchmark times it (wall time, pixels per second). The picture
// comes from PIXMOTH_JPEG_BENCH_PPM (a binary 8-bit PPM) and the JPEG to decode
// from PIXMOTH_JPEG_BENCH_JPG, so bench/imaging/codecs/jpeg_vs_tjbench.sh can hand both sides
// the same files; without them a smooth synthetic picture is used.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "imaging/bitmap/Bitmap.h"
#include "imaging/codecs/JpegCodec.h"

namespace pixmoth {
namespace {

std::vector<std::uint8_t> ReadAll(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::runtime_error(std::string("cannot open ") + path);
    }
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// "P6 width height 255" then RGB triples; comments in the header are skipped.
Bitmap ReadPpm(const char* path) {
    const std::vector<std::uint8_t> data = ReadAll(path);
    std::size_t at = 2;
    const auto number = [&] {
        while (at < data.size() && (std::isspace(data[at]) || data[at] == '#')) {
            if (data[at] == '#') {
                while (at < data.size() && data[at] != '\n') {
                    ++at;
                }
            } else {
                ++at;
            }
        }
        int value = 0;
        while (at < data.size() && std::isdigit(data[at])) {
            value = value * 10 + (data[at++] - '0');
        }
        return value;
    };
    const int width = number();
    const int height = number();
    const int maxValue = number();
    ++at;
    if (data.size() < 2 || data[0] != 'P' || data[1] != '6' || maxValue != 255 ||
        data.size() - at < std::size_t(width) * height * 3) {
        throw std::runtime_error(std::string(path) + " is not an 8-bit binary PPM");
    }
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x, at += 3) {
            row[3 * x] = data[at + 2];
            row[3 * x + 1] = data[at + 1];
            row[3 * x + 2] = data[at];
        }
    }
    return bitmap;
}

Bitmap SyntheticPicture() {
    Bitmap bitmap(4000, 3000);
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) {
            row[3 * x] = static_cast<std::uint8_t>((x / 16 + y / 12) * 3);
            row[3 * x + 1] = static_cast<std::uint8_t>(x * y / 9000 + (x ^ y) % 7);
            row[3 * x + 2] = static_cast<std::uint8_t>(128 + ((x * 7 + y * 5) % 61) - 30);
        }
    }
    return bitmap;
}

const Bitmap& Picture() {
    static const Bitmap picture = [] {
        const char* path = std::getenv("PIXMOTH_JPEG_BENCH_PPM");
        return path ? ReadPpm(path) : SyntheticPicture();
    }();
    return picture;
}

const std::vector<std::uint8_t>& JpegFile() {
    static const std::vector<std::uint8_t> file = [] {
        const char* path = std::getenv("PIXMOTH_JPEG_BENCH_JPG");
        return path ? ReadAll(path) : EncodeJpeg(Picture());
    }();
    return file;
}

void BM_EncodeJpeg(benchmark::State& state) {
    const Bitmap& picture = Picture();
    for (auto _ : state) {
        std::vector<std::uint8_t> file = EncodeJpeg(picture);
        benchmark::DoNotOptimize(file.data());
    }
    state.SetItemsProcessed(state.iterations() * picture.Width() * picture.Height());
}
BENCHMARK(BM_EncodeJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DecodeJpeg(benchmark::State& state) {
    const std::vector<std::uint8_t>& file = JpegFile();
    std::int64_t pixels = 0;
    for (auto _ : state) {
        Bitmap picture = DecodeJpeg(file.data(), file.size());
        pixels = std::int64_t{picture.Width()} * picture.Height();
        benchmark::DoNotOptimize(picture.Bits());
    }
    state.SetItemsProcessed(state.iterations() * pixels);
}
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();

// A thumbnail's decode: 1/8 scale straight out of the decoder.
void BM_DecodeJpegThumbnail(benchmark::State& state) {
    const std::vector<std::uint8_t>& file = JpegFile();
    for (auto _ : state) {
        Bitmap picture = DecodeJpegScaled(file.data(), file.size(), 160);
        benchmark::DoNotOptimize(picture.Bits());
    }
}
BENCHMARK(BM_DecodeJpegThumbnail)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace pixmoth
