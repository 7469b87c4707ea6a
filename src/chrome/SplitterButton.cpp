#include "chrome/SplitterButton.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace pixmoth {
namespace {

constexpr PaletteEntry kFrameGrey{128, 128, 128};
constexpr PaletteEntry kWhite{255, 255, 255};

void SetPixel(Bitmap& canvas, int x, int y, PaletteEntry colour) {
    if (x >= 0 && y >= 0 && x < canvas.Width() && y < canvas.Height()) {
        std::uint8_t* pixel = canvas.ScanLine(y) + 3 * x;
        pixel[0] = colour.blue;
        pixel[1] = colour.green;
        pixel[2] = colour.red;
    }
}

void FillRect(Bitmap& canvas, const Rect& r, PaletteEntry colour) {
    const int left = std::max(r.left, 0);
    const int right = std::min(r.right, canvas.Width());
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, canvas.Height()); ++y) {
        for (int x = left; x < right; ++x) {
            SetPixel(canvas, x, y, colour);
        }
    }
}

// A pen line along one row or column, the end point left out as the
// toolkit's LineTo does.
void Line(Bitmap& canvas, int x0, int y0, int x1, int y1, PaletteEntry colour) {
    const int dx = (x1 > x0) - (x1 < x0);
    const int dy = (y1 > y0) - (y1 < y0);
    for (int x = x0, y = y0; x != x1 || y != y1; x += dx, y += dy) {
        SetPixel(canvas, x, y, colour);
    }
}

// Takes `by` pixels off both ends of the rectangle along the bar.
void ShrinkAlong(Rect& r, bool upright, int by) {
    if (upright) {
        r.top += by;
        r.bottom -= by;
    } else {
        r.left += by;
        r.right -= by;
    }
}

} // namespace

int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) {
        return -1;
    }
    const long long product = static_cast<long long>(number) * numerator;
    const long long half = std::llabs(static_cast<long long>(denominator)) / 2;
    const bool negative = (product < 0) != (denominator < 0);
    const long long magnitude = (std::llabs(product) + half) / std::llabs(denominator);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

Rect LayoutButton(TAlign align, int clientWidth, int clientHeight, int buttonWidth,
                  TButtonWidthType type, bool beveled) {
    const bool upright = DockedLeftOrRight(align);
    const int barLength = upright ? clientHeight : clientWidth;
    const int length =
        type == TButtonWidthType::btwPercentage ? MulDiv(barLength, buttonWidth, 100) : buttonWidth;
    if (length == 0) {
        return {};
    }
    Rect r{0, 0, clientWidth, clientHeight};
    const int offset = (barLength - length) / 2;
    if (upright) {
        r = {1, offset, clientWidth - 1, offset + length};
    } else {
        r = {offset, 1, offset + length, clientHeight - 1};
    }
    r.left = std::max(r.left, 1);
    r.top = std::max(r.top, 1);
    if (r.bottom >= clientHeight) {
        r.bottom = clientHeight - 1;
    }
    if (r.right >= clientWidth) {
        r.right = clientWidth - 1;
    }
    if (beveled) {
        if (upright) {
            r.left += 3;
            r.right -= 3;
        } else {
            r.top += 3;
            r.bottom -= 3;
        }
    }
    return r;
}

TAlign ArrowDirection(TAlign align, bool maximized) {
    if (!maximized) {
        return align;
    }
    switch (align) {
    case TAlign::alTop:
        return TAlign::alBottom;
    case TAlign::alLeft:
        return TAlign::alRight;
    case TAlign::alRight:
        return TAlign::alLeft;
    default:
        return TAlign::alTop;
    }
}

int DrawArrow(Bitmap& canvas, const Rect& area, PaletteEntry colour, int size, int offset,
              TAlign direction) {
    // An odd number of rows, so the tip is one pixel.
    const int n = std::max(size % 2 == 0 ? size - 1 : size, 1);
    const int length = 2 * n - 1;
    if (DockedLeftOrRight(direction)) {
        const int x0 = area.left + (area.Width() - n) / 2 + 1;
        const int y = offset > 0 ? area.top + offset : area.bottom + offset - length;
        for (int i = 0; i < n; ++i) {
            const int x = direction == TAlign::alRight ? x0 + i : x0 + n - 1 - i;
            for (int j = 0; j < length - 2 * i; ++j) {
                SetPixel(canvas, x, y + i + j, colour);
            }
        }
    } else {
        const int y0 = area.top + (area.Height() - n) / 2 + 1;
        const int x = offset > 0 ? area.left + offset : area.right + offset - length;
        for (int i = 0; i < n; ++i) {
            const int y = direction == TAlign::alBottom ? y0 + i : y0 + n - 1 - i;
            for (int j = 0; j < length - 2 * i; ++j) {
                SetPixel(canvas, x + i + j, y, colour);
            }
        }
    }
    return length;
}

Bitmap PaintButtonFace(int width, int height, TAlign align, bool maximized,
                       const ButtonColors& colors) {
    Bitmap face(std::max(width, 0), std::max(height, 0));
    // The frame, then the light edge along the left and the top.
    FillRect(face, {0, 0, width, 1}, kFrameGrey);
    FillRect(face, {0, height - 1, width, height}, kFrameGrey);
    FillRect(face, {0, 0, 1, height}, kFrameGrey);
    FillRect(face, {width - 1, 0, width, height}, kFrameGrey);
    Rect r{1, 1, width - 1, height - 1};
    Line(face, r.left, r.bottom - 1, r.left, r.top, kWhite);
    Line(face, r.left, r.top, r.right, r.top, kWhite);
    r.left += 1;
    r.top += 1;
    FillRect(face, r, colors.fill);
    r.right -= 1;
    r.bottom -= 1;

    // The arrows sit 4 pixels in from both ends, the texture between them.
    const bool upright = DockedLeftOrRight(align);
    ShrinkAlong(r, upright, 4);
    const TAlign direction = ArrowDirection(align, maximized);
    const int size = upright ? r.Width() : r.Height();
    const int length = DrawArrow(face, r, colors.arrow, size, 1, direction);
    DrawArrow(face, r, colors.arrow, size, -1, direction);
    ShrinkAlong(r, upright, length + 4);

    // Two dots in every 3 x 3 cell, the cells tiled from the area's corner.
    if (r.Width() >= 3 && r.Height() >= 3) {
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                const int cx = (x - r.left) % 3;
                const int cy = (y - r.top) % 3;
                if (cx == 1 && cy == 1) {
                    SetPixel(face, x, y, colors.texture1);
                } else if (cx == 2 && cy == 2) {
                    SetPixel(face, x, y, colors.texture2);
                }
            }
        }
    }
    return face;
}

PaletteEntry AutoHighlightColor(PaletteEntry activeCaption, PaletteEntry buttonFace) {
    const auto mix = [](std::uint8_t a, std::uint8_t b) {
        return static_cast<std::uint8_t>(a + MulDiv(180, b - a, 255));
    };
    return {mix(activeCaption.blue, buttonFace.blue), mix(activeCaption.green, buttonFace.green),
            mix(activeCaption.red, buttonFace.red)};
}

} // namespace pixmoth
