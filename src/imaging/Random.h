#pragma once

#include <cstdint>

// The program-wide linear congruential generator. Noise effects continue the
// sequence wherever it stands, so right after start (seed 0) they give the same
// noise on every run; only RippleRandom reseeds it from the clock.
namespace pixmoth {

std::uint32_t RandSeed();
void SetRandSeed(std::uint32_t seed);

// seed := seed * 134775813 + 1 (mod 2^32); the result is the high 32 bits of
// seed * n, a value in 0 .. n - 1. Random(0) yields 0 and still advances.
int Random(int n);

// Seeds from the low 32 bits of a high-resolution clock.
void Randomize();

} // namespace pixmoth
