#pragma once

#include <cstddef>
#include <cstdint>

// Memory for pixel blocks. A fresh block of tens of megabytes costs several
// times a memcpy of it in first-touch page faults, so large blocks are mapped
// on 2 MiB boundaries and offered to the kernel for transparent huge pages
// (one fault per 2 MiB instead of per 4 KiB, where the kernel has them in
// `madvise` or `always` mode), and, since editing a picture frees and
// allocates blocks of the same size over and over (copy, operate, assign back,
// undo), large freed blocks are kept for reuse. Small blocks come from the
// ordinary allocator. Thread-safe.
namespace pixmoth {

// Blocks from this size on are mapped on their own, huge-page aligned.
constexpr std::size_t kLargePixelBlock = std::size_t{2} << 20;

// A block of at least `bytes`; `capacity` receives its real size. With `zeroed`
// every byte is zero, otherwise the contents are unspecified. Null when out of memory.
std::uint8_t* AcquirePixelMemory(std::size_t bytes, bool zeroed, std::size_t& capacity);
void ReleasePixelMemory(std::uint8_t* block, std::size_t capacity);

} // namespace pixmoth
