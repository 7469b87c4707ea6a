#pragma once

#include <cstdint>

// The program-wide linear congruential generator. Noise effects continue the
// sequence wherever it stands, so right after start (seed 0) they give the same
// noise on every run; only RippleRandom reseeds it from the clock.
namespace pixmoth {

constexpr std::uint32_t kRandMultiplier = 134775813u;

std::uint32_t RandSeed();
void SetRandSeed(std::uint32_t seed);

// seed := seed * 134775813 + 1 (mod 2^32); the result is the high 32 bits of
// seed * n, a value in 0 .. n - 1. Random(0) yields 0 and still advances.
int Random(int n);

// One draw of Random(n) on a private seed, for loops that keep the seed in a
// register and store it back once.
inline int RandomStep(std::uint32_t& seed, int n) {
    seed = seed * kRandMultiplier + 1u;
    return static_cast<int>((std::uint64_t{seed} * static_cast<std::uint32_t>(n)) >> 32);
}

// The seed `steps` draws after `seed`, in O(log steps): lets threads start their
// share of a run of draws where the single-threaded loop would be.
std::uint32_t RandSeedAfter(std::uint32_t seed, std::uint64_t steps);

// Seeds from the low 32 bits of a high-resolution clock.
void Randomize();

} // namespace pixmoth
