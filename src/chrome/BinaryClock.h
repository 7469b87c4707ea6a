#pragma once

#include <array>
#include <span>
#include <vector>

namespace pixmoth {

// The lamp weights of the about box's binary clock, highest first: five for
// the hours, six each for the minutes and the seconds.
inline constexpr std::array<int, 5> kHourWeights{16, 8, 4, 2, 1};
inline constexpr std::array<int, 6> kMinuteWeights{32, 16, 8, 4, 2, 1};
inline constexpr std::array<int, 6> kSecondWeights{32, 16, 8, 4, 2, 1};

// Which lamps are lit for `value`, in the order of `weights` (highest first):
// walking down, a weight that fits in what is left is lit and taken off.
// 13 over 16 8 4 2 1 lights 8, 4 and 1.
std::vector<bool> BinaryLamps(int value, std::span<const int> weights);

} // namespace pixmoth
