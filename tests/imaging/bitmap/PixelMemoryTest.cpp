#include "imaging/bitmap/PixelMemory.h"
#include "imaging/bitmap/PixelMemoryWarmer.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

namespace pixmoth {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t PageSize() {
    return static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// How many pages of the block are in memory.
std::size_t ResidentPages(const void* block, std::size_t bytes) {
    std::vector<unsigned char> state((bytes + PageSize() - 1) / PageSize());
    EXPECT_EQ(::mincore(const_cast<void*>(block), bytes, state.data()), 0);
    std::size_t resident = 0;
    for (unsigned char page : state) {
        resident += page & 1;
    }
    return resident;
}

// The VmFlags line of the mapping that holds `address`, from /proc/self/smaps.
std::string VmFlagsOf(const void* address) {
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    bool inside = false;
    for (std::string line; std::getline(smaps, line);) {
        std::uintptr_t low = 0;
        std::uintptr_t high = 0;
        // Mapping lines start "low-high perms ..."; field lines with a name.
        if (std::sscanf(line.c_str(), "%lx-%lx", &low, &high) == 2) {
            inside = low <= at && at < high;
        } else if (inside && line.rfind("VmFlags:", 0) == 0) {
            return line;
        }
    }
    return {};
}

TEST(PixelMemory, LargeBlocksStartOnHugePagesAndComeBackZeroedWhenAsked) {
    // Sizes at, above and well above the mapped size; each is filled, given
    // back (into the pool) and taken again zeroed.
    for (const std::size_t bytes :
         {kLargePixelBlock, kLargePixelBlock + 1, std::size_t{5'000'001}}) {
        SCOPED_TRACE(bytes);
        std::size_t capacity = 0;
        std::uint8_t* block = AcquirePixelMemory(bytes, false, capacity);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % kHugePage, 0u);
        EXPECT_GE(capacity, bytes);
        EXPECT_EQ(capacity % PageSize(), 0u);
        std::memset(block, 0xA5, capacity); // every byte of the capacity is usable
        ReleasePixelMemory(block, capacity);

        block = AcquirePixelMemory(bytes, true, capacity);
        ASSERT_NE(block, nullptr);
        std::size_t nonZero = 0;
        for (std::size_t i = 0; i < bytes; ++i) {
            nonZero += block[i] != 0;
        }
        EXPECT_EQ(nonZero, 0u);
        ReleasePixelMemory(block, capacity);
    }
}

TEST(PixelMemory, LargeBlocksAreOfferedForHugePagesWhereTheKernelHasThem) {
    if (::access("/sys/kernel/mm/transparent_hugepage/enabled", F_OK) != 0) {
        GTEST_SKIP() << "this kernel has no transparent huge pages";
    }
    std::size_t capacity = 0;
    std::uint8_t* block = AcquirePixelMemory(3 * kHugePage + 100, false, capacity);
    ASSERT_NE(block, nullptr);
    const std::string flags = VmFlagsOf(block);
    EXPECT_NE(flags.find(" hg"), std::string::npos) << flags;
    ReleasePixelMemory(block, capacity);
}

TEST(PixelMemory, WarmedBlocksArePresentWhenTakenAndFreshOnesAreNot) {
    // A size no other test uses, so the pool holds no block of it.
    const std::size_t bytes = 23 * kHugePage + 12'345;
    std::size_t capacity = 0;
    std::uint8_t* fresh = AcquirePixelMemory(bytes, false, capacity);
    ASSERT_NE(fresh, nullptr);
    EXPECT_LT(ResidentPages(fresh, capacity), capacity / PageSize() / 2);
    ReleasePixelMemory(fresh, capacity); // the warmer may take it up again

    PixelMemoryWarmer(bytes).Wait();
    std::uint8_t* warmed = AcquirePixelMemory(bytes, false, capacity);
    ASSERT_NE(warmed, nullptr);
    EXPECT_EQ(ResidentPages(warmed, capacity), capacity / PageSize());
    ReleasePixelMemory(warmed, capacity);
}

} // namespace
} // namespace pixmoth
