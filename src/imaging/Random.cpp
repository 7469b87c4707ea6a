#include "imaging/Random.h"

#include <chrono>

namespace pixmoth {

namespace {
std::uint32_t gSeed = 0;
}

std::uint32_t RandSeed() {
    return gSeed;
}

void SetRandSeed(std::uint32_t seed) {
    gSeed = seed;
}

int Random(int n) {
    gSeed = gSeed * 134775813u + 1u;
    const std::uint64_t product = std::uint64_t{gSeed} * static_cast<std::uint32_t>(n);
    return static_cast<int>(product >> 32);
}

void Randomize() {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    gSeed = static_cast<std::uint32_t>(ticks);
}

} // namespace pixmoth
