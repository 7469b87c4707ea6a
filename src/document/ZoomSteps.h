#pragma once

// One press of the zoom buttons changes each side of the image by 15 %, from
// its current size, truncated: steps compound and the truncation accumulates,
// and a side of 6 pixels or less no longer changes in either direction.
namespace pixmoth {

// Zooming in stops before a side would pass this: beyond it the window system
// and painting leave 16-bit coordinates, and each repaint grows with the sides.
constexpr int kMaxZoomSide = 32767;

constexpr int ZoomInSide(int side) {
    return side + side * 15 / 100;
}
constexpr int ZoomOutSide(int side) {
    return side - side * 15 / 100;
}

} // namespace pixmoth
