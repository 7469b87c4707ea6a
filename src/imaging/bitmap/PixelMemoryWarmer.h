#pragma once

#include <cstddef>
#include <thread>

namespace pixmoth {

// Faults in a pixel block of `bytes` on another thread and puts it into the
// pool of PixelMemory, so that the next AcquirePixelMemory of about that size
// finds its pages present: for a caller that knows it will need a large block
// while it waits for something else (reading a file, say). Does nothing for
// blocks below kLargePixelBlock or when no thread can be started. The
// destructor waits for the thread.
class PixelMemoryWarmer {
public:
    explicit PixelMemoryWarmer(std::size_t bytes);
    PixelMemoryWarmer(const PixelMemoryWarmer&) = delete;
    PixelMemoryWarmer& operator=(const PixelMemoryWarmer&) = delete;
    ~PixelMemoryWarmer() { Wait(); }

    void Wait();

private:
    std::thread mThread;
};

} // namespace pixmoth
