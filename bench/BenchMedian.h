#pragma once

#include <algorithm>
#include <vector>

namespace pixmoth::bench {

// The middle of a handful of timings (the upper one of an even count): what the
// benchmark programs that time whole steps quote, so one slow run moves nothing.
inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace pixmoth::bench
