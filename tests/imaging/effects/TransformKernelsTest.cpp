#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/effects/TransformKernels.h"

// The kernels against their contracts at the edges of memory: each range lies
// flush against an inaccessible page, so a load or store one byte too far
// crashes the test, and every other byte of the pages holds a marker that must
// survive.
namespace pixmoth {
namespace {

constexpr std::uint8_t kMarker = 0xA5;

// `bytes` of memory between two inaccessible pages, flush with one of them.
class GuardedBytes {
public:
    GuardedBytes(std::size_t bytes, bool flushWithEnd) {
        const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        const std::size_t usable = ((bytes + page - 1) / page + 1) * page;
        mSize = usable + 2 * page;
        void* mapping =
            mmap(nullptr, mSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapping == MAP_FAILED) {
            throw std::bad_alloc();
        }
        mBase = static_cast<std::uint8_t*>(mapping);
        mprotect(mBase, page, PROT_NONE);
        mprotect(mBase + page + usable, page, PROT_NONE);
        mUsable = {mBase + page, mBase + page + usable};
        std::memset(mUsable.first, kMarker, usable);
        mData = flushWithEnd ? mUsable.second - bytes : mUsable.first;
    }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    ~GuardedBytes() { munmap(mBase, mSize); }

    std::uint8_t* Data() const { return mData; }
    // Bytes outside `data` .. `data + bytes` that lost the marker.
    int ChangedOutside(std::size_t bytes) const {
        int changed = 0;
        for (const std::uint8_t* p = mUsable.first; p < mUsable.second; ++p) {
            changed += (p < mData || p >= mData + bytes) && *p != kMarker;
        }
        return changed;
    }

private:
    std::uint8_t* mBase = nullptr;
    std::size_t mSize = 0;
    std::pair<std::uint8_t*, std::uint8_t*> mUsable;
    std::uint8_t* mData = nullptr;
};

std::vector<TransformPath> RunnablePaths() {
    std::vector<TransformPath> paths;
    for (int p = 0; p <= static_cast<int>(BestTransformPath()); ++p) {
        paths.push_back(static_cast<TransformPath>(p));
    }
    return paths;
}

TEST(TransformKernels, CopyReversedTouchesExactlyItsTwoRanges) {
    for (TransformPath path : RunnablePaths()) {
        // Every remainder of the 4-pixel groups, with and without vector groups.
        for (int count = 0; count <= 41; ++count) {
            const std::size_t bytes = static_cast<std::size_t>(count) * 3;
            for (bool sourceAtEnd : {true, false}) {
                GuardedBytes from(bytes, sourceAtEnd);
                GuardedBytes to(bytes, !sourceAtEnd);
                for (std::size_t i = 0; i < bytes; ++i) {
                    from.Data()[i] = static_cast<std::uint8_t>(i * 37 + 11);
                }
                TransformKernelsFor(path).copyReversed(from.Data(), to.Data(), count);
                for (int i = 0; i < count; ++i) {
                    ASSERT_EQ(std::memcmp(to.Data() + i * 3, from.Data() + (count - 1 - i) * 3, 3),
                              0)
                        << "path " << static_cast<int>(path) << " count " << count;
                }
                EXPECT_EQ(to.ChangedOutside(bytes) + from.ChangedOutside(bytes), 0)
                    << "path " << static_cast<int>(path) << " count " << count;
            }
        }
    }
}

TEST(TransformKernels, TransposeBandMovesEachPixelAndNothingElse) {
    struct Case {
        const char* name;
        int blocks;
        std::ptrdiff_t sourceStride;   // the band is the first 24 bytes of each source row
        std::ptrdiff_t destinationGap; // bytes after each destination row's band
        bool sourceUp;                 // rows walked from the highest address down
        bool destinationUp;
    };
    const Case cases[] = {
        {"one tight block", 1, 24, 0, false, false},
        {"three blocks, padded rows", 3, 29, 7, false, false},
        {"clockwise walk", 2, 31, 5, true, false},
        {"counter-clockwise walk", 4, 24, 0, false, true},
    };
    for (TransformPath path : RunnablePaths()) {
        for (const Case& c : cases) {
            const int rows = 8 * c.blocks;
            const std::ptrdiff_t band = 24 * c.blocks;
            const std::ptrdiff_t dStride = band + c.destinationGap;
            const auto sourceBytes = static_cast<std::size_t>((rows - 1) * c.sourceStride + 24);
            const auto destinationBytes = static_cast<std::size_t>(7 * dStride + band);
            for (bool sourceAtEnd : {true, false}) {
                GuardedBytes source(sourceBytes, sourceAtEnd);
                GuardedBytes destination(destinationBytes, !sourceAtEnd);
                for (std::size_t i = 0; i < sourceBytes; ++i) {
                    source.Data()[i] = static_cast<std::uint8_t>(i * 13 + i / 251);
                }
                const std::ptrdiff_t s = c.sourceUp ? -c.sourceStride : c.sourceStride;
                const std::ptrdiff_t d = c.destinationUp ? -dStride : dStride;
                const std::uint8_t* from = source.Data() + (c.sourceUp ? (rows - 1) * -s : 0);
                std::uint8_t* to = destination.Data() + (c.destinationUp ? 7 * dStride : 0);
                TransformKernelsFor(path).transposeBand(from, s, to, d, c.blocks);

                for (int j = 0; j < 8; ++j) {
                    for (int i = 0; i < rows; ++i) {
                        ASSERT_EQ(std::memcmp(to + j * d + i * 3, from + i * s + j * 3, 3), 0)
                            << c.name << ", path " << static_cast<int>(path) << ": pixel " << i
                            << " of row " << j;
                    }
                }
                int changed = destination.ChangedOutside(destinationBytes);
                for (std::ptrdiff_t i = 0; i < static_cast<std::ptrdiff_t>(destinationBytes); ++i) {
                    changed += i % dStride >= band && destination.Data()[i] != kMarker;
                }
                EXPECT_EQ(changed, 0) << c.name << ", path " << static_cast<int>(path);
            }
        }
    }
}

} // namespace
} // namespace pixmoth
