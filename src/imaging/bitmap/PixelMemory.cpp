#include "imaging/bitmap/PixelMemory.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

#include <sys/mman.h>
#include <unistd.h>

namespace pixmoth {

namespace {

// Only blocks this large are kept: smaller ones come from the allocator's own
// free lists without page faults anyway.
constexpr std::size_t kMinPooled = std::size_t{1} << 20;
constexpr std::size_t kMaxPooledTotal = std::size_t{512} << 20;
constexpr std::size_t kSlots = 6;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t PageSize() {
    static const std::size_t size = [] {
        const long page = ::sysconf(_SC_PAGESIZE);
        return page > 0 ? static_cast<std::size_t>(page) : std::size_t{4096};
    }();
    return size;
}

std::size_t RoundUp(std::size_t n, std::size_t step) {
    return (n + step - 1) / step * step;
}

// Fresh zero pages starting on a huge-page boundary, `length` bytes (whole
// pages). The kernel backs each aligned 2 MiB of a region marked
// MADV_HUGEPAGE with one huge page on first touch, where it has them; the tail
// past the last whole 2 MiB keeps small pages, so nothing is wasted. Without
// huge pages (disabled, or a kernel without them) madvise fails and the block
// is ordinary memory.
void* MapAligned(std::size_t bytes, std::size_t& length) {
    length = RoundUp(bytes, PageSize());
    if (length < bytes || length > SIZE_MAX - kHugePage) {
        return nullptr;
    }
    // Over-map so that an aligned start lies inside, then give back both ends.
    const std::size_t span = length + kHugePage - PageSize();
    void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) {
        return nullptr;
    }
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = RoundUp(start, kHugePage);
    const std::size_t head = aligned - start;
    const std::size_t tail = span - head - length;
    if (head > 0) {
        ::munmap(raw, head);
    }
    if (tail > 0) {
        ::munmap(reinterpret_cast<void*>(aligned + length), tail);
    }
    auto* block = reinterpret_cast<void*>(aligned);
    ::madvise(block, length, MADV_HUGEPAGE);
    return block;
}

void* Allocate(std::size_t bytes, bool zeroed, std::size_t& capacity) {
    if (bytes >= kLargePixelBlock) {
        void* block = MapAligned(bytes, capacity);
        if (block == nullptr) {
            capacity = 0;
        }
        return block;
    }
    // calloc hands out fresh zero pages for large blocks without touching them.
    void* memory = zeroed ? std::calloc(bytes, 1) : std::malloc(bytes);
    capacity = memory ? bytes : 0;
    return memory;
}

// Capacities tell the two kinds apart: a mapped block is never smaller than
// kLargePixelBlock, a heap block always is.
void Free(void* block, std::size_t capacity) {
    if (capacity >= kLargePixelBlock) {
        ::munmap(block, capacity);
    } else {
        std::free(block);
    }
}

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
    return static_cast<std::uint8_t*>(Allocate(bytes, zeroed, capacity));
}

void ReleasePixelMemory(std::uint8_t* block, std::size_t capacity) {
    if (!block) {
        return;
    }
    if (capacity < kMinPooled || capacity > kMaxPooledTotal) {
        Free(block, capacity);
        return;
    }
    Pool& pool = ThePool();
    std::lock_guard lock(pool.mutex);
    pool.blocks.push_back(Block{block, capacity});
    pool.total += capacity;
    while (pool.total > kMaxPooledTotal || pool.blocks.size() > kSlots) {
        Free(pool.blocks.front().memory, pool.blocks.front().capacity);
        pool.total -= pool.blocks.front().capacity;
        pool.blocks.pop_front();
    }
}

} // namespace pixmoth
