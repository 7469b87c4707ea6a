#include "imaging/bitmap/Random.h"

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
    return RandomStep(gSeed, n);
}

// The step is the affine map s -> a s + c (mod 2^32); k steps are the map
// composed with itself k times, built by squaring.
std::uint32_t RandSeedAfter(std::uint32_t seed, std::uint64_t steps) {
    std::uint32_t a = kRandMultiplier; // the map for 2^i steps
    std::uint32_t c = 1u;
    for (; steps != 0; steps >>= 1) {
        if (steps & 1u) {
            seed = seed * a + c;
        }
        c = c * a + c;
        a = a * a;
    }
    return seed;
}

void Randomize() {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    gSeed = static_cast<std::uint32_t>(ticks);
}

} // namespace pixmoth
