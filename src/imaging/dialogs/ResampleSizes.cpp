#include "imaging/dialogs/ResampleSizes.h"

#include <algorithm>
#include <string>

#include "imaging/bitmap/Bitmap.h"
#include "imaging/bitmap/Error.h"
#include "imaging/resample/Resample.h"

namespace pixmoth {

int AspectPercentOf(int width, int height) {
    if (height <= 0) {
        return 0;
    }
    return static_cast<int>(std::int64_t{width} * 100 / height);
}

std::int64_t CoupledHeight(std::int64_t width, int aspectPercent) {
    return width * 100 / std::max(aspectPercent, 1);
}

std::int64_t CoupledWidth(std::int64_t height, int aspectPercent) {
    return height * std::max(aspectPercent, 1) / 100;
}

TargetSize PercentageTarget(int width, int height, int widthPercent, int heightPercent) {
    return {std::int64_t{width} * widthPercent / 100, std::int64_t{height} * heightPercent / 100};
}

void CheckResampleTarget(TargetSize size) {
    const std::string named =
        std::to_string(size.width) + " x " + std::to_string(size.height) + " pixels";
    if (size.width < 1 || size.height < 1) {
        throw Error("The new size " + named +
                    " has no pixels: width and height must be at least 1.");
    }
    if (size.width > kMaxResampleSide || size.height > kMaxResampleSide) {
        throw Error("The new size " + named + " is too large: a side may have at most " +
                    std::to_string(kMaxResampleSide) + " pixels.");
    }
    // Both sides are below 2^24 here, so the row bytes times the height fit.
    const auto rowBytes =
        static_cast<std::uint64_t>(RowBytes(static_cast<int>(size.width), PixelFormat::Bit24));
    if (rowBytes * static_cast<std::uint64_t>(size.height) > kMaxBitmapBytes) {
        throw Error("The new size " + named + " is too large: a picture may hold at most " +
                    std::to_string(kMaxBitmapBytes >> 30) + " GB of pixels.");
    }
}

} // namespace pixmoth
