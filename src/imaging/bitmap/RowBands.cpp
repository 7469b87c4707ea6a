#include "imaging/bitmap/RowBands.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace pixmoth {

namespace {

constexpr std::size_t kBytesPerBand = std::size_t{1} << 20;
constexpr unsigned kMaxBands = 8;

} // namespace

void ForEachRowBand(int height, std::size_t bytesPerRow,
                    const std::function<void(int firstRow, int endRow)>& body) {
    if (height <= 0) {
        return;
    }
    const std::size_t bytes = bytesPerRow * static_cast<std::size_t>(height);
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const auto bands = static_cast<int>(
        std::min<std::size_t>({std::size_t{std::min(cores, kMaxBands)}, bytes / kBytesPerBand + 1,
                               static_cast<std::size_t>(height)}));
    if (bands <= 1) {
        body(0, height);
        return;
    }
    std::vector<std::thread> workers;
    workers.reserve(static_cast<std::size_t>(bands) - 1);
    for (int band = 1; band < bands; ++band) {
        const int first = static_cast<int>(static_cast<long long>(height) * band / bands);
        const int end = static_cast<int>(static_cast<long long>(height) * (band + 1) / bands);
        try {
            workers.emplace_back(body, first, end);
        } catch (...) {
            // No thread to be had (system_error, or bad_alloc for its state):
            // do the band here. The threads already started are joined below.
            body(first, end);
        }
    }
    body(0, static_cast<int>(height / bands));
    for (std::thread& worker : workers) {
        worker.join();
    }
}

} // namespace pixmoth
