#include "imaging/codecs/wmf/WmfShapes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pixmoth {

int EllipseSegments(double radius) {
    constexpr double kTolerance = 0.25;
    if (!(radius > kTolerance)) {
        return 8;
    }
    // A chord spanning the angle a strays r (1 - cos(a / 2)) from the arc.
    const double step = 2 * std::acos(1 - kTolerance / radius);
    return static_cast<int>(std::clamp(std::ceil(2 * std::numbers::pi / step), 8.0, 1024.0));
}

WmfEllipse EllipseIn(double left, double top, double right, double bottom) {
    return WmfEllipse{(left + right) / 2, (top + bottom) / 2, std::abs(right - left) / 2,
                      std::abs(bottom - top) / 2};
}

double RadialAngle(const WmfEllipse& ellipse, double x, double y) {
    // (rx cos t, ry sin t) along (dx, dy): tan t = (dy / ry) / (dx / rx).
    const double dx = x - ellipse.cx;
    const double dy = ellipse.cy - y;
    return std::atan2(dy * ellipse.rx, dx * ellipse.ry);
}

void AppendArc(std::vector<WmfPoint>& points, const WmfEllipse& ellipse, double start, double sweep,
               int segments) {
    segments = std::max(segments, 1);
    for (int i = 0; i <= segments; ++i) {
        const double t = start + sweep * i / segments;
        points.push_back(
            WmfPoint{ellipse.cx + ellipse.rx * std::cos(t), ellipse.cy - ellipse.ry * std::sin(t)});
    }
}

std::vector<WmfPoint> RoundRectOutline(double left, double top, double right, double bottom,
                                       double cornerWidth, double cornerHeight,
                                       int segmentsPerCorner) {
    if (left > right) {
        std::swap(left, right);
    }
    if (top > bottom) {
        std::swap(top, bottom);
    }
    const double rx = std::min(std::abs(cornerWidth), right - left) / 2;
    const double ry = std::min(std::abs(cornerHeight), bottom - top) / 2;
    constexpr double kQuarter = std::numbers::pi / 2;
    std::vector<WmfPoint> points;
    points.reserve(4 * (static_cast<std::size_t>(std::max(segmentsPerCorner, 1)) + 1));
    // Screen-clockwise is a negative sweep: top right, bottom right, bottom left, top left.
    AppendArc(points, {right - rx, top + ry, rx, ry}, kQuarter, -kQuarter, segmentsPerCorner);
    AppendArc(points, {right - rx, bottom - ry, rx, ry}, 0, -kQuarter, segmentsPerCorner);
    AppendArc(points, {left + rx, bottom - ry, rx, ry}, -kQuarter, -kQuarter, segmentsPerCorner);
    AppendArc(points, {left + rx, top + ry, rx, ry}, std::numbers::pi, -kQuarter,
              segmentsPerCorner);
    return points;
}

} // namespace pixmoth
