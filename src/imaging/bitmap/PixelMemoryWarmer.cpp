#include "imaging/bitmap/PixelMemoryWarmer.h"

#include <cstdint>
#include <system_error>

#include <unistd.h>

#include "imaging/bitmap/PixelMemory.h"

namespace pixmoth {

PixelMemoryWarmer::PixelMemoryWarmer(std::size_t bytes) {
    if (bytes < kLargePixelBlock) {
        return;
    }
    try {
        mThread = std::thread([bytes] {
            std::size_t capacity = 0;
            std::uint8_t* block = AcquirePixelMemory(bytes, false, capacity);
            if (block == nullptr) {
                return;
            }
            // One write per page maps it; the kernel hands out zero pages,
            // huge ones where it can, so what is written is what was there.
            const long page = ::sysconf(_SC_PAGESIZE);
            const std::size_t step = page > 0 ? static_cast<std::size_t>(page) : 4096;
            for (std::size_t at = 0; at < capacity; at += step) {
                reinterpret_cast<volatile std::uint8_t*>(block)[at] = 0;
            }
            ReleasePixelMemory(block, capacity);
        });
    } catch (const std::system_error&) {
        // No thread to be had: the block is faulted in where it is used.
    }
}

void PixelMemoryWarmer::Wait() {
    if (mThread.joinable()) {
        mThread.join();
    }
}

} // namespace pixmoth
