#include "capture/ShotRect.h"

#include <algorithm>
#include <cstdint>

#include "document/Selection.h"
#include "imaging/bitmap/Error.h"

namespace pixmoth {

Rect ShotArea(const Rect& selection, int screenWidth, int screenHeight) {
    // A flat rectangle (the all-zero one included) stands for the whole screen.
    Rect ordered = NormalizeRect(selection);
    if (ordered.top == ordered.bottom) {
        ordered = Rect{0, 0, screenWidth, screenHeight};
    }
    // 64-bit: a rectangle read from a file may sit at the ends of the 32-bit range.
    const std::int64_t left = std::int64_t{ordered.left} + 1;
    const std::int64_t top = std::int64_t{ordered.top} + 1;
    const std::int64_t right = std::int64_t{ordered.right} - 1;
    const std::int64_t bottom = std::int64_t{ordered.bottom} - 1;
    if (right <= left || bottom <= top) {
        throw Error("The selected rectangle has nothing inside its outline. Drag a rectangle at "
                    "least 3 pixels wide and 3 pixels high, or click once to select the whole "
                    "screen.");
    }
    const std::int64_t clippedLeft = std::max<std::int64_t>(left, 0);
    const std::int64_t clippedTop = std::max<std::int64_t>(top, 0);
    const std::int64_t clippedRight = std::min<std::int64_t>(right, screenWidth);
    const std::int64_t clippedBottom = std::min<std::int64_t>(bottom, screenHeight);
    if (clippedRight <= clippedLeft || clippedBottom <= clippedTop) {
        throw Error("The selected rectangle lies outside the screen (" +
                    std::to_string(screenWidth) + " x " + std::to_string(screenHeight) +
                    " pixels). Drag a new rectangle.");
    }
    return {static_cast<int>(clippedLeft), static_cast<int>(clippedTop),
            static_cast<int>(clippedRight), static_cast<int>(clippedBottom)};
}

} // namespace pixmoth
