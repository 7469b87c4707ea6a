#pragma once

#include <memory>
#include <string>
#include <vector>

#include "imaging/bitmap/Bitmap.h"

// What a metafile draws with, after the player has mapped it to the output:
// every coordinate and size below is in output pixels (x right, y down) and
// every shape is a list of points, so a canvas only strokes, fills, writes text
// and copies pictures. The player keeps coordinates within +-kWmfCoordinateLimit
// and sizes within the limits named here, whatever the file says.
namespace pixmoth {

constexpr double kWmfCoordinateLimit = 1 << 22;
constexpr double kWmfMaxPenWidth = 4096;
constexpr double kWmfMaxFontHeight = 4096;

struct WmfColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const WmfColor&, const WmfColor&) = default;
};

struct WmfPoint {
    double x = 0;
    double y = 0;
    friend bool operator==(const WmfPoint&, const WmfPoint&) = default;
};

// A rectangle from one corner to the opposite one; left > right or top > bottom
// means the picture drawn into it is mirrored.
struct WmfRect {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
    friend bool operator==(const WmfRect&, const WmfRect&) = default;
};

enum class WmfPenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Null };
enum class WmfLineCap { Round, Square, Flat };
enum class WmfLineJoin { Round, Bevel, Miter };

struct WmfPen {
    WmfPenStyle style = WmfPenStyle::Solid;
    double width = 0; // 0: one pixel whatever the scale
    WmfColor color;
    WmfLineCap cap = WmfLineCap::Round;
    WmfLineJoin join = WmfLineJoin::Round;
};

enum class WmfBrushStyle { Solid, Null, Hatched, Pattern };
enum class WmfHatch {
    Horizontal,
    Vertical,
    ForwardDiagonal,
    BackwardDiagonal,
    Cross,
    DiagonalCross
};

struct WmfBrush {
    WmfBrushStyle style = WmfBrushStyle::Solid;
    WmfColor color{255, 255, 255};
    WmfHatch hatch = WmfHatch::Horizontal;
    std::shared_ptr<const Bitmap> pattern; // 24-bit, for Pattern
};

// Gaps of styled pens, hatch backgrounds and text boxes are filled with the
// background colour when it is opaque.
struct WmfBackground {
    bool opaque = true;
    WmfColor color{255, 255, 255};
};

struct WmfFont {
    double height = 0;        // pixels; 0 means the canvas's default size
    bool heightIsCell = true; // the height includes the internal leading
    double width = 0;         // average character width; 0: the font's own
    double angle = 0;         // degrees, counter-clockwise
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int pitchAndFamily = 0; // the LOGFONT byte: family in the high nibble
    std::string face;       // UTF-8
};

enum class WmfAlignX { Left, Center, Right };
enum class WmfAlignY { Top, Baseline, Bottom };

struct WmfText {
    WmfPoint origin;
    std::string text;             // UTF-8
    std::vector<double> advances; // one per character, pixels; empty: the font's own
    WmfFont font;
    WmfColor color;
    WmfBackground background;
    WmfAlignX alignX = WmfAlignX::Left;
    WmfAlignY alignY = WmfAlignY::Top;
    bool hasRect = false;
    WmfRect rect;
    bool opaqueRect = false; // fill `rect` with the background colour first
    bool clipToRect = false;
};

// How copied pixels combine with those already there.
enum class WmfBlend { Copy, InvertedCopy, And, Or, Xor };
// What a rectangle fill without a picture paints.
enum class WmfFill { Brush, BrushXor, Black, White, Invert };

// One step of the clipping region; the region is the whole output after Reset.
struct WmfClipStep {
    enum class Kind { Reset, Intersect, Exclude, Region } kind = Kind::Reset;
    std::vector<WmfRect> rects; // one for Intersect and Exclude; the union for Region
    friend bool operator==(const WmfClipStep&, const WmfClipStep&) = default;
};

class WmfCanvas {
public:
    virtual ~WmfCanvas() = default;

    virtual void Polyline(const std::vector<WmfPoint>& points, const WmfPen& pen,
                          const WmfBackground& background) = 0;
    // Closed outlines, filled by the even-odd or the winding rule, then outlined.
    virtual void Polygons(const std::vector<std::vector<WmfPoint>>& polygons, bool winding,
                          const WmfPen& pen, const WmfBrush& brush,
                          const WmfBackground& background) = 0;
    virtual void Text(const WmfText& text) = 0;
    // The `source` part of a 24-bit picture stretched into `dest`.
    virtual void Picture(const Bitmap& picture, const Rect& source, const WmfRect& dest,
                         WmfBlend blend) = 0;
    virtual void FillRect(const WmfRect& rect, WmfFill fill, const WmfBrush& brush,
                          const WmfBackground& background) = 0;
    // The whole clipping region, as the steps that made it.
    virtual void SetClip(const std::vector<WmfClipStep>& steps) = 0;
};

} // namespace pixmoth
