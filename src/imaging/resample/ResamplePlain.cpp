// The passes in plain C++, for processors without AVX2. One row per horizontal
// call; the vertical pass keeps one running sum per output value in a row of
// floats and adds tap after tap, which compilers vectorise without reordering
// any single sum.
#include <cmath>

#include "imaging/resample/ResamplePasses.h"

namespace pixmoth::resample {

namespace {

// Clamp first, then round half to even (the default rounding mode).
inline float ClampRound(float sum) {
    if (sum > 255.0f) {
        return 255.0f;
    }
    if (sum < 0.0f) {
        return 0.0f;
    }
    return std::nearbyint(sum);
}

std::size_t HorizontalScratch(int) {
    return 0;
}

void Horizontal(const HorizontalJob& job) {
    const std::uint8_t* source = job.sourceRows[0];
    float* work = job.workRows[0];
    const HorizontalPlan& plan = job.plan;
    for (int i = 0; i < plan.columns; ++i) {
        const int* position = plan.position + static_cast<std::ptrdiff_t>(i) * plan.taps;
        const float* weight = plan.weight + static_cast<std::ptrdiff_t>(i) * plan.taps;
        float b = 0.0f;
        float g = 0.0f;
        float r = 0.0f;
        for (int t = 0; t < plan.taps; ++t) {
            const std::uint8_t* pixel = source + position[t];
            b = b + static_cast<float>(pixel[0]) * weight[t];
            g = g + static_cast<float>(pixel[1]) * weight[t];
            r = r + static_cast<float>(pixel[2]) * weight[t];
        }
        work[3 * i] = ClampRound(b);
        work[3 * i + 1] = ClampRound(g);
        work[3 * i + 2] = ClampRound(r);
    }
}

void Vertical(const VerticalJob& job) {
    float* sums = job.scratch;
    const int values = job.values;
    for (int x = 0; x < values; ++x) {
        sums[x] = 0.0f;
    }
    for (int t = 0; t < job.count; ++t) {
        const float* row = job.rows[t];
        const float weight = job.weights[t];
        for (int x = 0; x < values; ++x) {
            sums[x] = sums[x] + row[x] * weight;
        }
    }
    for (int x = 0; x < values; ++x) {
        job.out[x] = static_cast<std::uint8_t>(ClampRound(sums[x]));
    }
}

} // namespace

const PassSet& PlainPasses() {
    static const PassSet passes{1, 1, 1, HorizontalScratch, Horizontal, Vertical};
    return passes;
}

} // namespace pixmoth::resample
