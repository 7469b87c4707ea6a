#include "imaging/bitmap/RowBands.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace pixmoth {

namespace {

constexpr std::size_t kBytesPerBand = std::size_t{1} << 20;
constexpr unsigned kMaxBands = 8;

} // namespace

int BandsFor(std::size_t bytes) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<int>(
        std::min<std::size_t>(std::min(cores, kMaxBands), bytes / kBytesPerBand + 1));
}

void ForEachBand(int bands, const std::function<void(int band)>& body) {
    if (bands <= 1) {
        body(0);
        return;
    }
    std::vector<std::thread> workers;
    workers.reserve(static_cast<std::size_t>(bands) - 1);
    for (int band = 1; band < bands; ++band) {
        try {
            workers.emplace_back(body, band);
        } catch (...) {
            // No thread to be had (system_error, or bad_alloc for its state):
            // do the band here. The threads already started are joined below.
            body(band);
        }
    }
    body(0);
    for (std::thread& worker : workers) {
        worker.join();
    }
}

void ForEachRowBand(int height, std::size_t bytesPerRow,
                    const std::function<void(int firstRow, int endRow)>& body) {
    if (height <= 0) {
        return;
    }
    const int bands = std::min(BandsFor(bytesPerRow * static_cast<std::size_t>(height)), height);
    ForEachBand(bands, [&](int band) {
        body(static_cast<int>(static_cast<long long>(height) * band / bands),
             static_cast<int>(static_cast<long long>(height) * (band + 1) / bands));
    });
}

} // namespace pixmoth
