#include "settings/WindowPlacement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace pixmoth {

namespace {

// 64-bit edges: stored bounds may hold any 32-bit values, and their width with them.
struct Span {
    std::int64_t begin;
    std::int64_t end;
};

// The gap between two spans, 0 when they overlap.
std::int64_t Gap(Span a, Span b) {
    return std::max<std::int64_t>({0, b.begin - a.end, a.begin - b.end});
}

bool Overlap(Span a, Span b) {
    return a.begin < b.end && b.begin < a.end;
}

// The span of `length` nearest to `begin` that lies inside `area` (which it fits).
std::int64_t Inside(std::int64_t begin, std::int64_t length, Span area) {
    return std::clamp(begin, area.begin, area.end - length);
}

} // namespace

Rect PlaceOnScreens(const Rect& bounds, const std::vector<Rect>& screens) {
    // A window of no size still sits somewhere: it counts as one pixel.
    const Span x{bounds.left, std::max<std::int64_t>(std::int64_t{bounds.right}, bounds.left + 1)};
    const Span y{bounds.top, std::max<std::int64_t>(std::int64_t{bounds.bottom}, bounds.top + 1)};
    const Rect* nearest = nullptr;
    double nearestDistance = std::numeric_limits<double>::infinity();
    for (const Rect& screen : screens) {
        const Span sx{screen.left, screen.right};
        const Span sy{screen.top, screen.bottom};
        if (sx.end <= sx.begin || sy.end <= sy.begin) {
            continue;
        }
        if (Overlap(x, sx) && Overlap(y, sy)) {
            return bounds;
        }
        const auto dx = static_cast<double>(Gap(x, sx));
        const auto dy = static_cast<double>(Gap(y, sy));
        const double distance = dx * dx + dy * dy;
        if (distance < nearestDistance) {
            nearestDistance = distance;
            nearest = &screen;
        }
    }
    if (nearest == nullptr) {
        return bounds;
    }
    const Span sx{nearest->left, nearest->right};
    const Span sy{nearest->top, nearest->bottom};
    const std::int64_t width =
        std::clamp<std::int64_t>(std::int64_t{bounds.right} - bounds.left, 0, sx.end - sx.begin);
    const std::int64_t height =
        std::clamp<std::int64_t>(std::int64_t{bounds.bottom} - bounds.top, 0, sy.end - sy.begin);
    const std::int64_t left = Inside(bounds.left, std::max<std::int64_t>(width, 1), sx);
    const std::int64_t top = Inside(bounds.top, std::max<std::int64_t>(height, 1), sy);
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + width),
            static_cast<int>(top + height)};
}

} // namespace pixmoth
