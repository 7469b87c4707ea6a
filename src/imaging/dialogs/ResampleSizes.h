#pragma once

#include <cstdint>

// The numbers behind the resample dialog: the aspect coupling of its size boxes
// and the size its OK button resamples to. Box values arrive as typed, so any
// int; the arithmetic is 64-bit and never overflows.
namespace pixmoth {

// width x 100 div height, truncating (640 x 480 gives 133). 0 for a picture
// more than 100 times as high as it is wide, and for one without rows.
int AspectPercentOf(int width, int height);

// The height box's value for a width (width x 100 div aspect) and the width
// box's for a height (height x aspect div 100). An aspect below 1 couples as 1,
// so a very tall picture never divides by zero.
std::int64_t CoupledHeight(std::int64_t width, int aspectPercent);
std::int64_t CoupledWidth(std::int64_t height, int aspectPercent);

struct TargetSize {
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// Percentage mode: each side times its percentage div 100, truncating.
TargetSize PercentageTarget(int width, int height, int widthPercent, int heightPercent);

// Throws Error with a message naming the size when a picture of that size
// cannot be made: a side below 1, a side over kMaxResampleSide, or more pixel
// bytes than kMaxBitmapBytes.
void CheckResampleTarget(TargetSize size);

} // namespace pixmoth
