#pragma once

#include <cmath>
#include <cstdint>

// The arithmetic that every image operation shares. Integer work is 32-bit
// signed; C++ division already truncates toward zero, which is the "div" the
// operations are defined with.
namespace pixmoth {

inline std::uint8_t Clamp255(int v) {
    return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// n shr 1 for an n known not to be negative.
inline int Half(int n) {
    return n >> 1;
}

// Round to nearest, halves to the even neighbour (2.5 -> 2, 3.5 -> 4). lrint
// follows the FPU's rounding mode, which is round-to-nearest-even unless
// somebody changed it, and nothing in the program does.
inline long RoundHalfEven(double v) {
    return std::lrint(v);
}
inline long RoundHalfEven(float v) {
    return std::lrintf(v);
}

} // namespace pixmoth
