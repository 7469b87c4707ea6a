#include "document/SelectionCopy.h"

#include <algorithm>
#include <cstdint>

namespace pixmoth {

namespace {

// Control coordinates [low, high) onto picture coordinates, rounded outwards.
void MapSpan(int& low, int& high, int control, int picture) {
    if (control == picture) {
        return;
    }
    const auto scaled = [&](int value, bool up) {
        const std::int64_t product = std::int64_t{value} * picture;
        std::int64_t result = product / control;
        if (up && product % control > 0) {
            ++result;
        } else if (!up && product % control < 0) {
            --result;
        }
        return static_cast<int>(std::clamp<std::int64_t>(result, -1, std::int64_t{picture} + 1));
    };
    low = scaled(low, false);
    high = scaled(high, true);
}

} // namespace

Rect SelectedPictureRect(const Selection& selection, int toolBarHeight, int controlWidth,
                         int controlHeight, int pictureWidth, int pictureHeight) {
    if (!selection.Present() || controlWidth <= 0 || controlHeight <= 0) {
        return {};
    }
    Rect rect = NormalizeRect(Rect{selection.X1, selection.Y1 - toolBarHeight, selection.X2,
                                   selection.Y2 - toolBarHeight});
    MapSpan(rect.left, rect.right, controlWidth, pictureWidth);
    MapSpan(rect.top, rect.bottom, controlHeight, pictureHeight);
    rect.left = std::clamp(rect.left, 0, pictureWidth);
    rect.right = std::clamp(rect.right, 0, pictureWidth);
    rect.top = std::clamp(rect.top, 0, pictureHeight);
    rect.bottom = std::clamp(rect.bottom, 0, pictureHeight);
    if (rect.Width() <= 0 || rect.Height() <= 0) {
        return {};
    }
    return rect;
}

Bitmap CopyPictureRect(const Bitmap& picture, const Rect& rect) {
    Bitmap copy(rect.Width(), rect.Height());
    copy.Draw(-rect.left, -rect.top, picture);
    return copy;
}

} // namespace pixmoth
