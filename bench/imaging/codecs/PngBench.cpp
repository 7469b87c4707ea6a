// PNG decoding and encoding of the picture in PIXMOTH_PNG_BENCH_FILE (an 8-bit
// RGB PNG), in process: Pixmoth's codec against libpng used directly, the
// plainest way its manual shows (png_init_io, png_read_image into RGB rows;
// png_write_rows from RGB rows into memory), and, when built with it, libspng
// the same way. bench/imaging/codecs/png_peers.sh runs it beside Pillow.
// Every benchmark reports the PNG file's size as the counter "bytes".
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <png.h>
#ifdef PIXMOTH_HAVE_SPNG
#include <spng.h>
#endif

#include "imaging/bitmap/Bitmap.h"
#include "imaging/codecs/PngCodec.h"

namespace pixmoth {
namespace {

const char* FilePath() {
    const char* path = std::getenv("PIXMOTH_PNG_BENCH_FILE");
    if (path == nullptr) {
        throw std::runtime_error("set PIXMOTH_PNG_BENCH_FILE to an RGB PNG");
    }
    return path;
}

double FileBytes() {
    FILE* file = std::fopen(FilePath(), "rb");
    if (file == nullptr || std::fseek(file, 0, SEEK_END) != 0) {
        throw std::runtime_error(std::string("cannot read ") + FilePath());
    }
    const long size = std::ftell(file);
    std::fclose(file);
    return double(size);
}

const Bitmap& Picture() {
    static const Bitmap picture = LoadPng(FilePath());
    return picture;
}

// The picture as libpng and libspng take it: RGB rows, no padding.
const std::vector<std::uint8_t>& RgbRows() {
    static const std::vector<std::uint8_t> rows = [] {
        const Bitmap& picture = Picture();
        std::vector<std::uint8_t> out(std::size_t(picture.Width()) * picture.Height() * 3);
        std::uint8_t* p = out.data();
        for (int y = 0; y < picture.Height(); ++y) {
            const std::uint8_t* row = picture.ScanLine(y);
            for (int x = 0; x < picture.Width(); ++x, p += 3) {
                p[0] = row[3 * x + 2];
                p[1] = row[3 * x + 1];
                p[2] = row[3 * x];
            }
        }
        return out;
    }();
    return rows;
}

void BM_DecodePng(benchmark::State& state) {
    const char* path = FilePath();
    for (auto _ : state) {
        Bitmap picture = LoadPng(path);
        benchmark::DoNotOptimize(picture.Bits());
    }
    state.counters["bytes"] = FileBytes();
}
BENCHMARK(BM_DecodePng)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DecodeLibpng(benchmark::State& state) {
    const char* path = FilePath();
    std::vector<std::uint8_t> pixels;
    std::vector<png_bytep> rows;
    for (auto _ : state) {
        FILE* file = std::fopen(path, "rb");
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (file == nullptr || png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
            state.SkipWithError("libpng failed");
            break;
        }
        png_init_io(png, file);
        png_read_info(png, info);
        const png_uint_32 width = png_get_image_width(png, info);
        const png_uint_32 height = png_get_image_height(png, info);
        pixels.resize(std::size_t(width) * height * 3);
        rows.resize(height);
        for (png_uint_32 y = 0; y < height; ++y) {
            rows[y] = pixels.data() + std::size_t(y) * width * 3;
        }
        png_read_image(png, rows.data());
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.counters["bytes"] = FileBytes();
}
BENCHMARK(BM_DecodeLibpng)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EncodePng(benchmark::State& state) {
    const Bitmap& picture = Picture();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::vector<std::uint8_t> file = EncodePng(picture);
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_EncodePng)->Unit(benchmark::kMillisecond)->UseRealTime();

struct Sink {
    std::vector<std::uint8_t> data;
};

void SinkWrite(png_structp png, png_bytep data, std::size_t length) {
    auto* sink = static_cast<Sink*>(png_get_io_ptr(png));
    sink->data.insert(sink->data.end(), data, data + length);
}

void SinkFlush(png_structp) {}

// libpng's own defaults (all filters, its default strategy) at each level from
// 1 to 6, to see what the level buys.
void BM_EncodeLibpng(benchmark::State& state) {
    const Bitmap& picture = Picture();
    const std::vector<std::uint8_t>& rgb = RgbRows();
    const auto width = static_cast<png_uint_32>(picture.Width());
    const auto height = static_cast<png_uint_32>(picture.Height());
    std::size_t bytes = 0;
    for (auto _ : state) {
        Sink sink;
        sink.data.reserve(rgb.size() / 2);
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
            state.SkipWithError("libpng failed");
            break;
        }
        png_set_write_fn(png, &sink, SinkWrite, SinkFlush);
        png_set_compression_level(png, static_cast<int>(state.range(0)));
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (png_uint_32 y = 0; y < height; ++y) {
            png_write_row(png, rgb.data() + std::size_t(y) * width * 3);
        }
        png_write_end(png, nullptr);
        png_destroy_write_struct(&png, &info);
        bytes = sink.data.size();
        benchmark::DoNotOptimize(sink.data.data());
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_EncodeLibpng)->DenseRange(1, 6)->Unit(benchmark::kMillisecond)->UseRealTime();

#ifdef PIXMOTH_HAVE_SPNG
void BM_DecodeSpng(benchmark::State& state) {
    const char* path = FilePath();
    std::vector<std::uint8_t> pixels;
    for (auto _ : state) {
        FILE* file = std::fopen(path, "rb");
        spng_ctx* context = spng_ctx_new(0);
        std::size_t size = 0;
        if (file == nullptr || context == nullptr || spng_set_png_file(context, file) != 0 ||
            spng_decoded_image_size(context, SPNG_FMT_RGB8, &size) != 0) {
            state.SkipWithError("libspng failed");
            break;
        }
        pixels.resize(size);
        spng_decode_image(context, pixels.data(), size, SPNG_FMT_RGB8, 0);
        spng_ctx_free(context);
        std::fclose(file);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.counters["bytes"] = FileBytes();
}
BENCHMARK(BM_DecodeSpng)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EncodeSpng(benchmark::State& state) {
    const Bitmap& picture = Picture();
    std::vector<std::uint8_t>& rgb = const_cast<std::vector<std::uint8_t>&>(RgbRows());
    std::size_t bytes = 0;
    for (auto _ : state) {
        spng_ctx* context = spng_ctx_new(SPNG_CTX_ENCODER);
        spng_set_option(context, SPNG_ENCODE_TO_BUFFER, 1);
        spng_set_option(context, SPNG_IMG_COMPRESSION_LEVEL, static_cast<int>(state.range(0)));
        spng_ihdr header{};
        header.width = static_cast<std::uint32_t>(picture.Width());
        header.height = static_cast<std::uint32_t>(picture.Height());
        header.bit_depth = 8;
        header.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
        spng_set_ihdr(context, &header);
        if (spng_encode_image(context, rgb.data(), rgb.size(), SPNG_FMT_PNG,
                              SPNG_ENCODE_FINALIZE) != 0) {
            state.SkipWithError("libspng failed");
            break;
        }
        int error = 0;
        void* file = spng_get_png_buffer(context, &bytes, &error);
        std::free(file);
        spng_ctx_free(context);
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_EncodeSpng)
    ->Arg(kPngCompressionLevel)
    ->Arg(6)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
#endif

} // namespace
} // namespace pixmoth
