#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "imaging/bitmap/Bitmap.h"
#include "imaging/bitmap/ImageMath.h"
#include "imaging/resample/ResampleFilters.h"

// ResampleBitmap written out loop for loop in the order the algorithm is
// stated, scalar and slow, to check the fast passes against byte for byte. It
// carries the deliberate deviations: a scale of dest / source when either size
// is 1, rows addressed by index (1-pixel-high pictures work), mirrored indices
// clamped to the picture.
namespace pixmoth::test {

struct ReferenceStats {
    int clampedHigh = 0; // sums above 255
    int clampedLow = 0;  // sums below 0
};

struct ReferenceEntry {
    int pixel;
    float weight;
};

inline std::uint8_t ReferenceClampRound(float sum, ReferenceStats& stats) {
    if (sum > 255.0f) {
        ++stats.clampedHigh;
        return 255;
    }
    if (sum < 0.0f) {
        ++stats.clampedLow;
        return 0;
    }
    return static_cast<std::uint8_t>(RoundHalfEven(sum));
}

inline std::vector<std::vector<ReferenceEntry>>
ReferenceContributors(int srcSize, int dstSize, FilterKernel filter, float support) {
    float scale;
    if (srcSize == 1 || dstSize == 1) {
        scale = static_cast<float>(static_cast<double>(dstSize) / srcSize);
    } else {
        scale = static_cast<float>(static_cast<double>(dstSize - 1) / (srcSize - 1));
    }
    std::vector<std::vector<ReferenceEntry>> contrib(static_cast<std::size_t>(dstSize));
    for (int i = 0; i < dstSize; ++i) {
        std::vector<ReferenceEntry>& list = contrib[static_cast<std::size_t>(i)];
        const auto center = static_cast<float>(i / static_cast<double>(scale));
        float width;
        float fscale = 1.0f;
        if (scale < 1.0f) {
            width = static_cast<float>(support / static_cast<double>(scale));
            fscale = static_cast<float>(1.0 / static_cast<double>(scale));
        } else {
            width = support;
        }
        const auto left = static_cast<int>(std::floor(static_cast<double>(center) - width));
        const auto right = static_cast<int>(std::ceil(static_cast<double>(center) + width));
        for (int j = left; j <= right; ++j) {
            float weight;
            if (scale < 1.0f) {
                const auto x = static_cast<float>((static_cast<double>(center) - j) / fscale);
                weight = static_cast<float>(static_cast<double>(filter(x)) / fscale);
            } else {
                weight = filter(static_cast<float>(static_cast<double>(center) - j));
            }
            if (weight == 0.0f) {
                continue;
            }
            int n;
            if (j < 0) {
                n = -j;
            } else if (j >= srcSize) {
                n = srcSize - j + srcSize - 1;
            } else {
                n = j;
            }
            if (n < 0) {
                n = 0;
            }
            if (n > srcSize - 1) {
                n = srcSize - 1;
            }
            list.push_back({n, weight});
        }
    }
    return contrib;
}

inline Bitmap ReferenceResample(const Bitmap& original, int dstWidth, int dstHeight,
                                FilterKernel filter, float support,
                                ReferenceStats* statsOut = nullptr) {
    ReferenceStats stats;
    Bitmap src(original);
    src.To24Bit();
    const int srcWidth = src.Width();
    const int srcHeight = src.Height();
    Bitmap work(dstWidth, srcHeight);
    Bitmap dst(dstWidth, dstHeight);

    const auto columns = ReferenceContributors(srcWidth, dstWidth, filter, support);
    for (int k = 0; k < srcHeight; ++k) {
        const std::uint8_t* srcRow = src.ScanLine(k);
        std::uint8_t* workRow = work.ScanLine(k);
        for (int i = 0; i < dstWidth; ++i) {
            float sum[3] = {0.0f, 0.0f, 0.0f};
            for (const ReferenceEntry& e : columns[static_cast<std::size_t>(i)]) {
                for (int c = 0; c < 3; ++c) {
                    sum[c] = sum[c] + static_cast<float>(srcRow[3 * e.pixel + c]) * e.weight;
                }
            }
            for (int c = 0; c < 3; ++c) {
                workRow[3 * i + c] = ReferenceClampRound(sum[c], stats);
            }
        }
    }

    const auto rows = ReferenceContributors(srcHeight, dstHeight, filter, support);
    for (int k = 0; k < dstWidth; ++k) {
        for (int i = 0; i < dstHeight; ++i) {
            float sum[3] = {0.0f, 0.0f, 0.0f};
            for (const ReferenceEntry& e : rows[static_cast<std::size_t>(i)]) {
                const std::uint8_t* workPixel = work.ScanLine(e.pixel) + 3 * k;
                for (int c = 0; c < 3; ++c) {
                    sum[c] = sum[c] + static_cast<float>(workPixel[c]) * e.weight;
                }
            }
            for (int c = 0; c < 3; ++c) {
                dst.ScanLine(i)[3 * k + c] = ReferenceClampRound(sum[c], stats);
            }
        }
    }
    if (statsOut) {
        *statsOut = stats;
    }
    return dst;
}

} // namespace pixmoth::test
