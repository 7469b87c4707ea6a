// The BMP codec on a 4000 x 3000 24-bit file (36 MB) against plain file I/O of
// the same bytes, all in one run. The file is read from the page cache (it was
// just written); writes go through the same atomic replace (temporary file,
// fsync, rename) that SaveBmp uses, so both sides pay the same disk flush.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "BenchPictures.h"
#include "imaging/bitmap/Bitmap.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/FileIO.h"

namespace pixmoth {
namespace {

using bench::kHeight;
using bench::kWidth;
using bench::Picture;

// A scratch folder with the picture's BMP file, made once for the whole run.
struct Files {
    std::string directory;
    std::string picture;
    std::string output;
    std::vector<std::uint8_t> bytes;

    Files() {
        char pattern[] = "/tmp/pixmoth-bmp-bench-XXXXXX";
        directory = ::mkdtemp(pattern);
        picture = directory + "/picture.bmp";
        output = directory + "/out.bmp";
        bytes = EncodeBmp(Picture());
        WriteFileAtomically(picture, bytes);
    }
    ~Files() {
        ::unlink(picture.c_str());
        ::unlink(output.c_str());
        ::rmdir(directory.c_str());
    }
};

Files& TheFiles() {
    static Files files;
    return files;
}

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(TheFiles().bytes.size()));
}

// The least any reader can do: read() into a buffer that is already allocated and touched.
void BM_ReadIntoBuffer(benchmark::State& state) {
    const Files& files = TheFiles();
    std::vector<std::uint8_t> buffer(files.bytes.size());
    for (auto _ : state) {
        const int fd = ::open(files.picture.c_str(), O_RDONLY);
        std::size_t done = 0;
        while (done < buffer.size()) {
            const ssize_t n = ::read(fd, buffer.data() + done, buffer.size() - done);
            if (n <= 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        ::close(fd);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}
BENCHMARK(BM_ReadIntoBuffer)->Unit(benchmark::kMillisecond);

// The program's plain whole-file read (a fresh buffer each time).
void BM_ReadFileBytes(benchmark::State& state) {
    const Files& files = TheFiles();
    for (auto _ : state) {
        std::vector<std::uint8_t> data = ReadFileBytes(files.picture);
        benchmark::DoNotOptimize(data.data());
    }
    SetBytes(state);
}
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);

void BM_LoadBmp(benchmark::State& state) {
    const Files& files = TheFiles();
    for (auto _ : state) {
        Bitmap bitmap = LoadBmp(files.picture);
        benchmark::DoNotOptimize(bitmap.Bits());
    }
    SetBytes(state);
}
BENCHMARK(BM_LoadBmp)->Unit(benchmark::kMillisecond);

// Decoding alone, from bytes already in memory, against a copy of those bytes.
void BM_Memcpy(benchmark::State& state) {
    const Files& files = TheFiles();
    std::vector<std::uint8_t> target(files.bytes.size());
    for (auto _ : state) {
        std::memcpy(target.data(), files.bytes.data(), files.bytes.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

void BM_DecodeBmp(benchmark::State& state) {
    const Files& files = TheFiles();
    for (auto _ : state) {
        Bitmap bitmap = DecodeBmp(files.bytes.data(), files.bytes.size());
        benchmark::DoNotOptimize(bitmap.Bits());
    }
    SetBytes(state);
}
BENCHMARK(BM_DecodeBmp)->Unit(benchmark::kMillisecond);

void BM_EncodeBmp(benchmark::State& state) {
    const Bitmap picture = Picture();
    for (auto _ : state) {
        std::vector<std::uint8_t> bytes = EncodeBmp(picture);
        benchmark::DoNotOptimize(bytes.data());
    }
    SetBytes(state);
}
BENCHMARK(BM_EncodeBmp)->Unit(benchmark::kMillisecond);

// The same bytes SaveBmp writes, written the way SaveBmp writes them.
void BM_WriteFileAtomically(benchmark::State& state) {
    const Files& files = TheFiles();
    for (auto _ : state) {
        WriteFileAtomically(files.output, files.bytes);
    }
    SetBytes(state);
}
BENCHMARK(BM_WriteFileAtomically)->Unit(benchmark::kMillisecond);

void BM_SaveBmp(benchmark::State& state) {
    const Files& files = TheFiles();
    const Bitmap picture = Picture();
    for (auto _ : state) {
        SaveBmp(picture, files.output);
    }
    SetBytes(state);
}
BENCHMARK(BM_SaveBmp)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace pixmoth
