// The settings routines on 10 MB settings files of three shapes, each call
// against the plain file work it cannot avoid, in the same run: a read
// against reading the file, a write against reading it and writing it back
// atomically (temporary file, fsync, rename). Bound: any call under 0.5 s.
// Each read also reports its peak heap as a multiple of the file's size
// ("heap_per_byte", bound 4), counted by the allocation hooks below.
//   - duplicates: one section holding the same key 950,000 times (a
//     string write deletes every one of them);
//   - empty: ten million empty lines, then the section;
//   - sections: 350,000 small sections, the key in the last one.
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include <unistd.h>

#include <benchmark/benchmark.h>

#include "imaging/codecs/FileIO.h"
#include "settings/IniStuff.h"

namespace {

std::atomic<std::size_t> gHeap{0};
std::atomic<std::size_t> gPeak{0};

void* Allocate(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    const std::size_t now = gHeap += malloc_usable_size(p);
    std::size_t peak = gPeak;
    while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void Free(void* p) {
    if (p != nullptr) {
        gHeap -= malloc_usable_size(p);
        std::free(p);
    }
}

} // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    Free(p);
}
void operator delete[](void* p) noexcept {
    Free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Free(p);
}

namespace pixmoth {
namespace {

constexpr std::size_t kFileBytes = 10 << 20;

std::string Shape(int shape) {
    std::string text;
    text.reserve(kFileBytes + 64);
    switch (shape) {
    case 0:
        text = "[Bounds]\n";
        while (text.size() < kFileBytes) {
            text += "Left=12345\n";
        }
        break;
    case 1:
        text.assign(kFileBytes, '\n');
        text += "[Bounds]\nLeft=12345\n";
        break;
    default:
        for (int i = 0; text.size() < kFileBytes; ++i) {
            text += "[Section " + std::to_string(i) + "]\nk=v\n\n";
        }
        text += "[Bounds]\nLeft=12345\n";
        break;
    }
    return text;
}

const char* const kShapes[] = {"duplicates", "empty", "sections"};

// The file of a shape, written afresh (writes change it).
struct File {
    std::string directory;
    std::string path;
    std::string text;

    explicit File(int shape) : text(Shape(shape)) {
        char pattern[] = "/tmp/pixmoth-settings-bench-XXXXXX";
        directory = ::mkdtemp(pattern);
        path = directory + "/Pixmoth.ini";
        Reset();
    }
    ~File() {
        ::unlink(path.c_str());
        ::rmdir(directory.c_str());
    }
    void Reset() const {
        WriteFileAtomically(path, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    }
};

enum Call { ReadString, ReadInteger, WriteString, WriteInteger, PlainRead, PlainWrite };

void BM_Settings(benchmark::State& state) {
    const File file(static_cast<int>(state.range(0)));
    const auto call = static_cast<Call>(state.range(1));
    state.SetLabel(kShapes[state.range(0)]);
    std::size_t peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        file.Reset();
        gPeak = gHeap.load();
        const std::size_t before = gHeap;
        state.ResumeTiming();
        switch (call) {
        case ReadString:
            benchmark::DoNotOptimize(IniReadString(file.path, "Bounds", "Left", "10"));
            break;
        case ReadInteger:
            benchmark::DoNotOptimize(IniReadInteger(file.path, "Bounds", "Left", 10));
            break;
        case WriteString:
            IniWriteString(file.path, "Bounds", "Left", "54321");
            break;
        case WriteInteger:
            IniWriteInteger(file.path, "Bounds", "Left", 54321);
            break;
        case PlainRead:
            benchmark::DoNotOptimize(ReadFileText(file.path));
            break;
        case PlainWrite: {
            const std::string text = ReadFileText(file.path);
            WriteFileAtomically(file.path, reinterpret_cast<const std::uint8_t*>(text.data()),
                                text.size());
            break;
        }
        }
        peak = std::max(peak, gPeak - before);
    }
    state.counters["heap_per_byte"] =
        static_cast<double>(peak) / static_cast<double>(file.text.size());
}

void Calls(benchmark::internal::Benchmark* bench) {
    for (int shape = 0; shape < 3; ++shape) {
        for (int call = ReadString; call <= PlainWrite; ++call) {
            bench->Args({shape, call});
        }
    }
}

BENCHMARK(BM_Settings)
    ->ArgNames({"shape", "call"})
    ->Apply(Calls)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace
} // namespace pixmoth
