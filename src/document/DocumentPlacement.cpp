#include "document/DocumentPlacement.h"

#include <algorithm>

namespace pixmoth {

Rect FitIntoWorkArea(const Rect& window, int areaWidth, int areaHeight) {
    if (areaWidth <= 0 || areaHeight <= 0) {
        return window;
    }
    const int width = std::min(window.Width(), areaWidth);
    const int height = std::min(window.Height(), areaHeight);
    const int left = std::clamp(window.left, 0, areaWidth - width);
    const int top = std::clamp(window.top, 0, areaHeight - height);
    return {left, top, left + width, top + height};
}

Rect ClipToWorkArea(const Rect& window, int areaWidth, int areaHeight) {
    if (areaWidth <= 0 || areaHeight <= 0) {
        return window;
    }
    return {window.left, window.top, std::max(window.left, std::min(window.right, areaWidth)),
            std::max(window.top, std::min(window.bottom, areaHeight))};
}

int CascadeSlot(int slot, int step, int width, int height, int areaWidth, int areaHeight) {
    const long long offset = static_cast<long long>(slot) * step;
    const bool fits = offset + width <= areaWidth && offset + height <= areaHeight;
    return fits ? slot : 0;
}

} // namespace pixmoth
