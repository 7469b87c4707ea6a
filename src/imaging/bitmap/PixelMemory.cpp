#include "imaging/bitmap/PixelMemory.h"

#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

namespace pixmoth {

namespace {

// Only blocks this large are kept: smaller ones come from the allocator's own
// free lists without page faults anyway.
constexpr std::size_t kMinPooled = std::size_t{1} << 20;
constexpr std::size_t kMaxPooledTotal = std::size_t{512} << 20;
constexpr std::size_t kSlots = 6;

struct Block {
    std::uint8_t* memory = nullptr;
    std::size_t capacity = 0;
};

// Kept blocks, oldest first.
struct Pool {
    std::mutex mutex;
    std::deque<Block> blocks;
    std::size_t total = 0;
};

Pool& ThePool() {
    static Pool* pool = new Pool; // never destroyed: blocks may be released during exit
    return *pool;
}

// The smallest kept block that fits without wasting more than half of it.
Block TakeFitting(std::size_t bytes) {
    Pool& pool = ThePool();
    std::lock_guard lock(pool.mutex);
    auto best = pool.blocks.end();
    for (auto it = pool.blocks.begin(); it != pool.blocks.end(); ++it) {
        if (it->capacity >= bytes && it->capacity / 2 <= bytes &&
            (best == pool.blocks.end() || it->capacity < best->capacity)) {
            best = it;
        }
    }
    if (best == pool.blocks.end()) {
        return {};
    }
    const Block taken = *best;
    pool.blocks.erase(best);
    pool.total -= taken.capacity;
    return taken;
}

} // namespace

std::uint8_t* AcquirePixelMemory(std::size_t bytes, bool zeroed, std::size_t& capacity) {
    if (bytes >= kMinPooled) {
        Block reused = TakeFitting(bytes);
        if (reused.memory) {
            if (zeroed) {
                std::memset(reused.memory, 0, bytes);
            }
            capacity = reused.capacity;
            return reused.memory;
        }
    }
    // calloc hands out fresh zero pages for large blocks without touching them.
    void* memory = zeroed ? std::calloc(bytes, 1) : std::malloc(bytes);
    capacity = memory ? bytes : 0;
    return static_cast<std::uint8_t*>(memory);
}

void ReleasePixelMemory(std::uint8_t* block, std::size_t capacity) {
    if (!block) {
        return;
    }
    if (capacity < kMinPooled || capacity > kMaxPooledTotal) {
        std::free(block);
        return;
    }
    Pool& pool = ThePool();
    std::lock_guard lock(pool.mutex);
    pool.blocks.push_back(Block{block, capacity});
    pool.total += capacity;
    while (pool.total > kMaxPooledTotal || pool.blocks.size() > kSlots) {
        std::free(pool.blocks.front().memory);
        pool.total -= pool.blocks.front().capacity;
        pool.blocks.pop_front();
    }
}

} // namespace pixmoth
