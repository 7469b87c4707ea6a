#pragma once

#include <vector>

#include "imaging/codecs/wmf/WmfCanvas.h"

// Ellipses, arcs and rounded rectangles as points, in the metafile's logical
// units (y down, angles counter-clockwise from the positive x axis as seen on
// the screen). The player maps the points afterwards, so a canvas draws only
// straight edges.
namespace pixmoth {

// Straight pieces for a whole ellipse whose larger radius is `radius` output
// pixels: enough that no piece strays more than a quarter pixel from the
// curve, at least 8 and at most 1024.
int EllipseSegments(double radius);

struct WmfEllipse {
    double cx = 0;
    double cy = 0;
    double rx = 0;
    double ry = 0;
};
// The ellipse inscribed in a rectangle given by two corners in any order.
WmfEllipse EllipseIn(double left, double top, double right, double bottom);

// The angle at which the line from the centre towards (x, y) meets the
// ellipse, as the parameter of the ellipse's point (rx cos t, -ry sin t).
double RadialAngle(const WmfEllipse& ellipse, double x, double y);

// Appends `segments` + 1 points from angle `start` through `sweep` radians.
void AppendArc(std::vector<WmfPoint>& points, const WmfEllipse& ellipse, double start, double sweep,
               int segments);

// The outline of a rectangle whose corners are quarter ellipses of the given
// width and height (cut to the rectangle's size), clockwise from the top edge.
std::vector<WmfPoint> RoundRectOutline(double left, double top, double right, double bottom,
                                       double cornerWidth, double cornerHeight,
                                       int segmentsPerCorner);

} // namespace pixmoth
