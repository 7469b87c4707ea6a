#pragma once

#include <cstddef>
#include <cstdint>

// Memory for pixel blocks. A fresh block of tens of megabytes costs several
// times a memcpy of it in first-touch page faults, and editing a picture frees
// and allocates blocks of the same size over and over (copy, operate, assign
// back, undo), so large freed blocks are kept for reuse. Thread-safe.
namespace pixmoth {

// A block of at least `bytes`; `capacity` receives its real size. With `zeroed`
// every byte is zero, otherwise the contents are unspecified. Null when out of memory.
std::uint8_t* AcquirePixelMemory(std::size_t bytes, bool zeroed, std::size_t& capacity);
void ReleasePixelMemory(std::uint8_t* block, std::size_t capacity);

} // namespace pixmoth
