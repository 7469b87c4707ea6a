#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/TransformKernels.h"

// The kernels against their contracts at the edges of memory: every range is
// placed flush against an inaccessible page, so a load or store one byte too far
// crashes the test instead of passing unnoticed, and the bytes around a
// destination are filled with a marker that must survive.
namespace pixmoth {
namespace {

constexpr std::uint8_t kMarker = 0xA5;

// `bytes` of read-write memory between two inaccessible pages, placed either
// right after the first or right before the second.
class GuardedBytes {
public:
    GuardedBytes(std::size_t bytes, bool flushWithEnd) {
        const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        const std::size_t pages = (bytes + page - 1) / page + 1;
        mSize = (pages + 2) * page;
        void* mapping =
            mmap(nullptr, mSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapping == MAP_FAILED) {
            throw std::bad_alloc();
        }
        mBase = static_cast<std::uint8_t*>(mapping);
        mprotect(mBase, page, PROT_NONE);
        mprotect(mBase + (pages + 1) * page, page, PROT_NONE);
        std::memset(mBase + page, kMarker, pages * page);
        mData = flushWithEnd ? mBase + (pages + 1) * page - bytes : mBase + page;
        mFirstUsable = mBase + page;
        mEndUsable = mBase + (pages + 1) * page;
    }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    ~GuardedBytes() { munmap(mBase, mSize); }

    std::uint8_t* Data() const { return mData; }
    // Bytes of the usable pages outside [from, to) that no longer hold the marker.
    int ChangedOutside(const std::uint8_t* from, const std::uint8_t* to) const {
        int changed = 0;
        for (const std::uint8_t* p = mFirstUsable; p < mEndUsable; ++p) {
            if ((p < from || p >= to) && *p != kMarker) {
                ++changed;
            }
        }
        return changed;
    }

private:
    std::uint8_t* mBase = nullptr;
    std::size_t mSize = 0;
    std::uint8_t* mData = nullptr;
    std::uint8_t* mFirstUsable = nullptr;
    std::uint8_t* mEndUsable = nullptr;
};

struct KernelSet {
    std::string name;
    TransposeBandFn transposeBand;
    CopyReversedFn copyReversed;
    TransformPath needs;
};

std::vector<KernelSet> RunnableKernels() {
    std::vector<KernelSet> all = {
        {"Plain", PlainTransposeBand, PlainCopyReversed, TransformPath::Plain}};
#if defined(__x86_64__)
    all.push_back({"Ssse3", PlainTransposeBand, Ssse3CopyReversed, TransformPath::Ssse3});
    all.push_back({"Avx2", Avx2TransposeBand, Ssse3CopyReversed, TransformPath::Avx2});
#endif
    std::vector<KernelSet> runnable;
    for (const KernelSet& set : all) {
        if (static_cast<int>(set.needs) <= static_cast<int>(BestTransformPath())) {
            runnable.push_back(set);
        }
    }
    return runnable;
}

TEST(TransformKernels, CopyReversedTouchesExactlyItsTwoRanges) {
    for (const KernelSet& set : RunnableKernels()) {
        // Every remainder of the 4-pixel groups, with and without a vector group.
        for (int count = 0; count <= 41; ++count) {
            const std::size_t bytes = static_cast<std::size_t>(count) * 3;
            for (bool sourceAtEnd : {true, false}) {
                GuardedBytes from(bytes, sourceAtEnd);
                GuardedBytes to(bytes, !sourceAtEnd);
                for (std::size_t i = 0; i < bytes; ++i) {
                    from.Data()[i] = static_cast<std::uint8_t>(i * 37 + 11);
                }
                set.copyReversed(from.Data(), to.Data(), count);
                for (int i = 0; i < count; ++i) {
                    const std::uint8_t* expected = from.Data() + (count - 1 - i) * 3;
                    ASSERT_EQ(std::memcmp(to.Data() + i * 3, expected, 3), 0)
                        << set.name << " count " << count << " pixel " << i;
                }
                EXPECT_EQ(to.ChangedOutside(to.Data(), to.Data() + bytes), 0)
                    << set.name << " count " << count;
                EXPECT_EQ(from.ChangedOutside(from.Data(), from.Data() + bytes), 0)
                    << set.name << " count " << count;
                for (std::size_t i = 0; i < bytes; ++i) {
                    ASSERT_EQ(from.Data()[i], static_cast<std::uint8_t>(i * 37 + 11))
                        << set.name << " wrote into its source, count " << count;
                }
            }
        }
    }
}

TEST(TransformKernels, TransposeBandMovesEachPixelAndNothingElse) {
    struct Case {
        const char* name;
        int blocks;
        std::ptrdiff_t sourceStride;   // bytes between source rows; the band is their first 24
        std::ptrdiff_t destinationGap; // bytes after each destination row's 24 * blocks
        bool sourceUp;                 // source rows walked from the highest address down
        bool destinationUp;            // likewise for the destination rows
    };
    const std::vector<Case> cases = {
        {"one tight block", 1, 24, 0, false, false},
        {"three blocks, padded rows", 3, 29, 7, false, false},
        {"clockwise walk", 2, 31, 5, true, false},
        {"counter-clockwise walk", 4, 24, 0, false, true},
        {"both reversed", 2, 40, 3, true, true},
    };
    for (const KernelSet& set : RunnableKernels()) {
        for (const Case& c : cases) {
            const int rows = 8 * c.blocks;
            const std::ptrdiff_t destinationStride = 24 * c.blocks + c.destinationGap;
            const std::size_t sourceBytes =
                static_cast<std::size_t>(rows - 1) * c.sourceStride + 24;
            const std::size_t destinationBytes =
                static_cast<std::size_t>(7 * destinationStride + 24 * c.blocks);
            for (bool atEnd : {true, false}) {
                GuardedBytes source(sourceBytes, atEnd);
                GuardedBytes destination(destinationBytes, !atEnd);
                for (std::size_t i = 0; i < sourceBytes; ++i) {
                    source.Data()[i] = static_cast<std::uint8_t>(i * 13 + i / 251);
                }
                const std::uint8_t* sourceRow0 =
                    c.sourceUp ? source.Data() + (rows - 1) * c.sourceStride : source.Data();
                std::uint8_t* destinationRow0 = c.destinationUp
                                                    ? destination.Data() + 7 * destinationStride
                                                    : destination.Data();
                const std::ptrdiff_t s = c.sourceUp ? -c.sourceStride : c.sourceStride;
                const std::ptrdiff_t d = c.destinationUp ? -destinationStride : destinationStride;
                set.transposeBand(sourceRow0, s, destinationRow0, d, c.blocks);

                for (int j = 0; j < 8; ++j) {
                    for (int i = 0; i < rows; ++i) {
                        ASSERT_EQ(std::memcmp(destinationRow0 + j * d + i * 3,
                                              sourceRow0 + i * s + j * 3, 3),
                                  0)
                            << set.name << ", " << c.name << ": pixel " << i << " of row " << j;
                    }
                }
                // Only the band's bytes of each destination row may change.
                int changed = 0;
                for (std::ptrdiff_t i = 0; i < static_cast<std::ptrdiff_t>(destinationBytes); ++i) {
                    const bool inBand = i % destinationStride < 24 * c.blocks;
                    if (!inBand && destination.Data()[i] != kMarker) {
                        ++changed;
                    }
                }
                changed += destination.ChangedOutside(destination.Data(),
                                                      destination.Data() + destinationBytes);
                EXPECT_EQ(changed, 0) << set.name << ", " << c.name;
            }
        }
    }
}

} // namespace
} // namespace pixmoth
