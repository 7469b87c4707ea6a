// Small files with large costs, each against the least work it could take,
// in the same run:
//   - an 834-byte JPEG claiming 14000 x 14000 pixels, refused;
//   - JPEGs whose data ends early (8000 x 8000 cut at 40 KB, 14000 x 14000 cut
//     at 100 KB): decoded as the program does (stopping where the data ends)
//     and as plain libjpeg does to the last row, against filling the picture
//     grey, which any decoder must do;
//   - a 2 GB sparse .jpg of zeros, refused, against reading 64 KB of it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include "BenchPictures.h"
#include "imaging/bitmap/Bitmap.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/InputFile.h"
#include "imaging/codecs/JpegCodec.h"

namespace pixmoth {
namespace {

// Rewrites the size in a JPEG's frame header (SOF0, as EncodeJpeg writes).
void PatchSize(std::vector<std::uint8_t>& file, int width, int height) {
    for (std::size_t at = 2; at + 9 < file.size();) {
        const int marker = file[at + 1];
        if (marker == 0xC0) {
            file[at + 5] = static_cast<std::uint8_t>(height >> 8);
            file[at + 6] = static_cast<std::uint8_t>(height);
            file[at + 7] = static_cast<std::uint8_t>(width >> 8);
            file[at + 8] = static_cast<std::uint8_t>(width);
            return;
        }
        at += 2 + (std::size_t{file[at + 2]} << 8 | file[at + 3]);
    }
}

// A whole JPEG of `side` x `side` pixels cut to its first `bytes` bytes.
const std::vector<std::uint8_t>& CutJpeg(int side, std::size_t bytes) {
    static std::vector<std::uint8_t> files[2];
    std::vector<std::uint8_t>& file = files[side > 10000 ? 1 : 0];
    if (file.empty()) {
        file = EncodeJpeg(bench::Picture(side, side));
        file.resize(bytes);
    }
    return file;
}

void BM_JpegBombRefused(benchmark::State& state) {
    std::vector<std::uint8_t> bomb = EncodeJpeg(bench::Picture(16, 16));
    PatchSize(bomb, 14000, 14000);
    state.SetLabel(std::to_string(bomb.size()) + " bytes");
    for (auto _ : state) {
        try {
            DecodeJpeg(bomb.data(), bomb.size());
            state.SkipWithError("the file was decoded");
        } catch (const Error&) {
        }
    }
}
BENCHMARK(BM_JpegBombRefused)->Unit(benchmark::kMicrosecond);

void BM_CutJpegDecode(benchmark::State& state) {
    const auto& file =
        CutJpeg(static_cast<int>(state.range(0)), static_cast<std::size_t>(state.range(1)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(DecodeJpeg(file.data(), file.size()));
    }
}

// What decoding cost before: every row, from nothing once the data is gone.
void BM_CutJpegLibjpegToTheLastRow(benchmark::State& state) {
    const auto& file =
        CutJpeg(static_cast<int>(state.range(0)), static_cast<std::size_t>(state.range(1)));
    for (auto _ : state) {
        jpeg_decompress_struct info{};
        jpeg_error_mgr error{};
        info.err = jpeg_std_error(&error);
        error.emit_message = [](j_common_ptr, int) {};
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, file.data(), file.size());
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&info);
        Bitmap bitmap;
        bitmap.Reset(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                     PixelFormat::Bit24);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = bitmap.ScanLine(static_cast<int>(info.output_scanline));
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(bitmap);
    }
}

// The floor: a new picture of the size, filled mid-grey.
void BM_CutJpegGreyFill(benchmark::State& state) {
    const auto side = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Bitmap bitmap;
        bitmap.Reset(side, side, PixelFormat::Bit24);
        std::fill_n(bitmap.Bits(), bitmap.ByteSize(), std::uint8_t{128});
        benchmark::DoNotOptimize(bitmap);
    }
}

void CutSizes(benchmark::internal::Benchmark* bench) {
    bench->Args({8000, 40000})->Args({14000, 100000})->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_CutJpegDecode)->Apply(CutSizes);
BENCHMARK(BM_CutJpegLibjpegToTheLastRow)->Apply(CutSizes);
BENCHMARK(BM_CutJpegGreyFill)->Apply(CutSizes);

// Two gigabytes of zeros named .jpg, made once (sparse: no disk space).
struct SparseFile {
    std::string path = "/tmp/pixmoth-sparse-bench.jpg";
    SparseFile() {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::ftruncate(fd, (std::int64_t{2} << 30) - 1) != 0) {
            std::abort();
        }
        ::close(fd);
    }
    ~SparseFile() { ::unlink(path.c_str()); }
};
const SparseFile& Sparse() {
    static const SparseFile file;
    return file;
}

void BM_SparseJpegRefused(benchmark::State& state) {
    for (auto _ : state) {
        try {
            LoadJpeg(Sparse().path);
            state.SkipWithError("the file was decoded");
        } catch (const Error&) {
        }
    }
}
BENCHMARK(BM_SparseJpegRefused)->Unit(benchmark::kMicrosecond);

void BM_SparseJpegRead64K(benchmark::State& state) {
    std::vector<std::uint8_t> head(65536);
    for (auto _ : state) {
        InputFile file(Sparse().path);
        benchmark::DoNotOptimize(file.ReadAt(0, head.data(), head.size()));
    }
}
BENCHMARK(BM_SparseJpegRead64K)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace pixmoth
