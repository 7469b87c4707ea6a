#include "imaging/codecs/wmf/WmfPlayer.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>

#include "imaging/codecs/wmf/WmfFunctions.h"
#include "imaging/codecs/wmf/WmfObjects.h"
#include "imaging/codecs/wmf/WmfShapes.h"

namespace pixmoth {

namespace {

using namespace wmf;

constexpr std::size_t kMaxSavedStates = 256;
constexpr std::size_t kMaxClipSteps = 64;
// Work allowed for one playing: points made, and pixels touched as a multiple
// of the output's area (plus a floor for tiny outputs).
constexpr double kPointBudget = 1 << 24;
constexpr double kAreaBudget = 64;
constexpr double kPixelBudgetFloor = 1 << 24;
constexpr double kScreenDpi = 96;

// ExtTextOut options and text alignment bits.
constexpr unsigned kEtoOpaque = 2;
constexpr unsigned kEtoClipped = 4;
constexpr unsigned kTaUpdateCp = 1;

// The logical rectangle the output shows: origin and signed extent.
struct Frame {
    WmfPoint origin;
    WmfPoint extent{1, 1};
};

struct DcState {
    WmfPoint windowOrg;
    WmfPoint windowExt{1, 1};
    bool isotropic = false;
    WmfPen pen; // width and font sizes in logical units
    WmfBrush brush;
    WmfFont font;
    WmfColor textColor;
    WmfBackground background;
    unsigned textAlign = 0;
    bool winding = false;
    WmfPoint position;
    std::vector<WmfClipStep> clip;
};

struct Object {
    enum class Kind { Pen, Brush, Font, Region, Other } kind = Kind::Other;
    WmfPen pen;
    WmfBrush brush;
    WmfFont font;
    WmfRegion region;
};

// Records that draw; the window set up before the first of them is the frame.
bool Draws(std::uint16_t function) {
    switch (function) {
    case LineTo:
    case Arc:
    case Ellipse:
    case Pie:
    case Rectangle:
    case RoundRect:
    case PatBlt:
    case SetPixel:
    case TextOut:
    case Polygon:
    case Polyline:
    case FillRegion:
    case InvertRegion:
    case PaintRegion:
    case Chord:
    case ExtTextOut:
    case SetDibToDev:
    case PolyPolygon:
    case DibBitBlt:
    case DibStretchBlt:
    case StretchDib:
        return true;
    default:
        return false;
    }
}

double Clamp(double v) {
    if (!(v == v)) {
        return 0; // NaN from a degenerate mapping
    }
    return std::clamp(v, -kWmfCoordinateLimit, kWmfCoordinateLimit);
}

// A canvas that only notes where things are drawn: the frame of a metafile
// that names none is the extent of its drawing.
class ExtentCanvas : public WmfCanvas {
public:
    bool Empty() const { return mLeft > mRight; }
    Frame Extent() const {
        return Frame{{mLeft, mTop}, {std::max(mRight - mLeft, 1.0), std::max(mBottom - mTop, 1.0)}};
    }

    void Polyline(const std::vector<WmfPoint>& points, const WmfPen&,
                  const WmfBackground&) override {
        AddAll(points);
    }
    void Polygons(const std::vector<std::vector<WmfPoint>>& polygons, bool, const WmfPen&,
                  const WmfBrush&, const WmfBackground&) override {
        for (const auto& polygon : polygons) {
            AddAll(polygon);
        }
    }
    void Text(const WmfText& text) override { Add(text.origin); }
    void Picture(const Bitmap&, const Rect&, const WmfRect& dest, WmfBlend) override {
        AddRect(dest);
    }
    void FillRect(const WmfRect& rect, WmfFill, const WmfBrush&, const WmfBackground&) override {
        AddRect(rect);
    }
    void SetClip(const std::vector<WmfClipStep>&) override {}

private:
    void Add(WmfPoint p) {
        mLeft = std::min(mLeft, p.x);
        mRight = std::max(mRight, p.x);
        mTop = std::min(mTop, p.y);
        mBottom = std::max(mBottom, p.y);
    }
    void AddAll(const std::vector<WmfPoint>& points) {
        for (const WmfPoint& p : points) {
            Add(p);
        }
    }
    void AddRect(const WmfRect& r) {
        Add({r.left, r.top});
        Add({r.right, r.bottom});
    }

    double mLeft = kWmfCoordinateLimit;
    double mTop = kWmfCoordinateLimit;
    double mRight = -kWmfCoordinateLimit;
    double mBottom = -kWmfCoordinateLimit;
};

class Player {
public:
    // With a frame, the frame is stretched onto width x height; without one
    // (the search for the extent) output units are logical units and the
    // metafile's window is ignored.
    Player(const WmfFile& file, WmfCanvas& canvas, std::optional<Frame> frame, double width,
           double height)
        : mFile(file), mCanvas(canvas), mMapped(frame.has_value()), mWidth(width), mHeight(height),
          mObjects(static_cast<std::size_t>(file.ObjectCount())),
          mPixelsLeft(kAreaBudget * width * height + kPixelBudgetFloor) {
        if (frame) {
            mDc.windowOrg = frame->origin;
            mDc.windowExt = frame->extent;
        }
        UpdateScale();
    }

    void Play() {
        for (const WmfRecord& record : mFile.Records()) {
            Run(record);
            if (mPointsLeft < 0 || mPixelsLeft < 0) {
                break;
            }
        }
    }

private:
    void UpdateScale() {
        if (!mMapped) {
            mScaleX = mScaleY = 1;
            return;
        }
        mScaleX = mWidth / mDc.windowExt.x;
        mScaleY = mHeight / mDc.windowExt.y;
        if (mDc.isotropic) {
            const double scale = std::min(std::abs(mScaleX), std::abs(mScaleY));
            mScaleX = std::copysign(scale, mScaleX);
            mScaleY = std::copysign(scale, mScaleY);
        }
    }

    WmfPoint Map(double x, double y) const {
        if (!mMapped) {
            return {Clamp(x), Clamp(y)};
        }
        return {Clamp((x - mDc.windowOrg.x) * mScaleX), Clamp((y - mDc.windowOrg.y) * mScaleY)};
    }
    WmfRect MapRect(double left, double top, double right, double bottom) const {
        const WmfPoint a = Map(left, top);
        const WmfPoint b = Map(right, bottom);
        return {a.x, a.y, b.x, b.y};
    }
    std::vector<WmfPoint> MapAll(const std::vector<WmfPoint>& logical) const {
        std::vector<WmfPoint> points;
        points.reserve(logical.size());
        for (const WmfPoint& p : logical) {
            points.push_back(Map(p.x, p.y));
        }
        return points;
    }
    double OutputRadius(const WmfEllipse& e) const {
        return std::max(e.rx * std::abs(mScaleX), e.ry * std::abs(mScaleY));
    }

    // Work accounting: false once the budget is spent (the caller then skips
    // the drawing, and Play stops).
    bool Spend(double pixels, double points) {
        mPointsLeft -= points;
        if (mMapped) {
            mPixelsLeft -= pixels;
        }
        return mPointsLeft >= 0 && mPixelsLeft >= 0;
    }
    // The part of a box that lies on the output.
    double VisibleArea(double left, double top, double right, double bottom) const {
        const double w =
            std::min(std::max(left, right), mWidth) - std::max(std::min(left, right), 0.0);
        const double h =
            std::min(std::max(top, bottom), mHeight) - std::max(std::min(top, bottom), 0.0);
        return w > 0 && h > 0 ? w * h : 0;
    }
    double FillCost(const std::vector<std::vector<WmfPoint>>& polygons) const {
        double left = kWmfCoordinateLimit, top = kWmfCoordinateLimit;
        double right = -kWmfCoordinateLimit, bottom = -kWmfCoordinateLimit;
        for (const auto& polygon : polygons) {
            for (const WmfPoint& p : polygon) {
                left = std::min(left, p.x);
                right = std::max(right, p.x);
                top = std::min(top, p.y);
                bottom = std::max(bottom, p.y);
            }
        }
        return left > right ? 0 : VisibleArea(left, top, right, bottom);
    }
    double StrokeCost(const std::vector<WmfPoint>& points, double width) const {
        double length = 0;
        for (std::size_t i = 1; i < points.size(); ++i) {
            length += std::hypot(points[i].x - points[i - 1].x, points[i].y - points[i - 1].y);
        }
        return std::min(length * std::max(width, 1.0), mWidth * mHeight) + points.size();
    }

    WmfPen OutputPen() const {
        WmfPen pen = mDc.pen;
        pen.width = std::min(pen.width * std::abs(mScaleX), kWmfMaxPenWidth);
        return pen;
    }

    void Stroke(std::vector<WmfPoint> points) {
        const WmfPen pen = OutputPen();
        if (pen.style == WmfPenStyle::Null || points.size() < 2) {
            return;
        }
        if (Spend(StrokeCost(points, pen.width), static_cast<double>(points.size()))) {
            mCanvas.Polyline(points, pen, mDc.background);
        }
    }

    void Fill(std::vector<std::vector<WmfPoint>> polygons, bool winding) {
        const WmfPen pen = OutputPen();
        if (pen.style == WmfPenStyle::Null && mDc.brush.style == WmfBrushStyle::Null) {
            return;
        }
        double points = 0;
        double stroke = 0;
        for (const auto& polygon : polygons) {
            points += static_cast<double>(polygon.size());
            if (pen.style != WmfPenStyle::Null) {
                stroke += StrokeCost(polygon, pen.width);
            }
        }
        if (Spend(FillCost(polygons) + stroke, points)) {
            mCanvas.Polygons(polygons, winding, pen, mDc.brush, mDc.background);
        }
    }

    void FillShape(std::vector<WmfPoint> logical) {
        std::vector<std::vector<WmfPoint>> polygons;
        polygons.push_back(MapAll(logical));
        Fill(std::move(polygons), mDc.winding);
    }

    // Reads `count` points (x, y pairs) from word `at` on, as far as the record holds them.
    static std::vector<WmfPoint> ReadPoints(const WmfRecord& record, std::size_t at,
                                            std::size_t count) {
        const std::size_t available = record.Words() > at ? (record.Words() - at) / 2 : 0;
        count = std::min(count, available);
        std::vector<WmfPoint> points;
        points.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            points.push_back({double(record.Int(at + 2 * i)), double(record.Int(at + 2 * i + 1))});
        }
        return points;
    }

    // Rectangle-like records store bottom, right, top, left from word `at`.
    struct Box {
        double left, top, right, bottom;
    };
    static Box ReadBox(const WmfRecord& record, std::size_t at) {
        return {double(record.Int(at + 3)), double(record.Int(at + 2)), double(record.Int(at + 1)),
                double(record.Int(at))};
    }

    void RunRectangle(const WmfRecord& record) {
        const Box b = ReadBox(record, 0);
        FillShape({{b.left, b.top}, {b.right, b.top}, {b.right, b.bottom}, {b.left, b.bottom}});
    }

    void RunEllipse(const WmfRecord& record) {
        const Box b = ReadBox(record, 0);
        const WmfEllipse e = EllipseIn(b.left, b.top, b.right, b.bottom);
        std::vector<WmfPoint> points;
        const int segments = EllipseSegments(OutputRadius(e));
        AppendArc(points, e, 0, 2 * std::numbers::pi, segments);
        points.pop_back(); // the first point again
        FillShape(std::move(points));
    }

    void RunRoundRect(const WmfRecord& record) {
        const double cornerHeight = record.Int(0);
        const double cornerWidth = record.Int(1);
        const Box b = ReadBox(record, 2);
        const WmfEllipse corner{0, 0, std::abs(cornerWidth) / 2, std::abs(cornerHeight) / 2};
        const int segments = std::max(EllipseSegments(OutputRadius(corner)) / 4, 1);
        FillShape(RoundRectOutline(b.left, b.top, b.right, b.bottom, cornerWidth, cornerHeight,
                                   segments));
    }

    // Arc, Pie and Chord: end point, start point, then the box.
    void RunArc(const WmfRecord& record) {
        const double yEnd = record.Int(0), xEnd = record.Int(1);
        const double yStart = record.Int(2), xStart = record.Int(3);
        const Box b = ReadBox(record, 4);
        const WmfEllipse e = EllipseIn(b.left, b.top, b.right, b.bottom);
        const double start = RadialAngle(e, xStart, yStart);
        double sweep = RadialAngle(e, xEnd, yEnd) - start;
        if (sweep <= 0) {
            sweep += 2 * std::numbers::pi; // counter-clockwise; equal ends make the whole ellipse
        }
        const int segments = std::max(static_cast<int>(std::ceil(EllipseSegments(OutputRadius(e)) *
                                                                 sweep / (2 * std::numbers::pi))),
                                      2);
        std::vector<WmfPoint> points;
        if (record.function == Pie) {
            points.push_back({e.cx, e.cy});
        }
        AppendArc(points, e, start, sweep, segments);
        if (record.function == Arc) {
            Stroke(MapAll(points));
        } else {
            FillShape(std::move(points));
        }
    }

    void RunPoly(const WmfRecord& record) {
        std::vector<WmfPoint> points = ReadPoints(record, 1, record.Word(0));
        if (record.function == Polyline) {
            Stroke(MapAll(points));
        } else if (points.size() >= 2) {
            FillShape(std::move(points));
        }
    }

    void RunPolyPolygon(const WmfRecord& record) {
        const std::size_t count = record.Word(0);
        if (1 + count > record.Words()) {
            return;
        }
        std::vector<std::vector<WmfPoint>> polygons;
        std::size_t at = 1 + count;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t n = record.Word(1 + i);
            std::vector<WmfPoint> points = ReadPoints(record, at, n);
            if (points.size() < n) {
                return; // the counts claim more points than the record holds
            }
            at += 2 * n;
            polygons.push_back(MapAll(points));
        }
        Fill(std::move(polygons), mDc.winding);
    }

    WmfFont OutputFont() const {
        WmfFont font = mDc.font;
        font.height = std::min(font.height * std::abs(mScaleY), kWmfMaxFontHeight);
        font.width = std::min(font.width * std::abs(mScaleX), kWmfMaxFontHeight);
        return font;
    }

    // Text at logical (x, y): `length` single-byte characters from byte
    // `textAt` of the parameters, advances (logical) from word `dxAt` when the
    // record holds them.
    void DrawText(const WmfRecord& record, double x, double y, std::size_t textAt,
                  std::size_t length, std::size_t dxAt, unsigned options, std::optional<Box> box) {
        if (textAt > record.size) {
            return;
        }
        length = std::min(length, record.size - textAt);
        WmfText text;
        if (mDc.textAlign & kTaUpdateCp) {
            x = mDc.position.x;
            y = mDc.position.y;
        }
        text.origin = Map(x, y);
        text.text = Cp1252ToUtf8(record.params + textAt, length);
        if (dxAt + length <= record.Words()) {
            for (std::size_t i = 0; i < length; ++i) {
                text.advances.push_back(std::abs(record.Int(dxAt + i) * mScaleX));
            }
        }
        text.font = OutputFont();
        text.color = mDc.textColor;
        text.background = mDc.background;
        switch (mDc.textAlign & 6) {
        case 2:
            text.alignX = WmfAlignX::Right;
            break;
        case 6:
            text.alignX = WmfAlignX::Center;
            break;
        default:
            text.alignX = WmfAlignX::Left;
            break;
        }
        switch (mDc.textAlign & 24) {
        case 8:
            text.alignY = WmfAlignY::Bottom;
            break;
        case 24:
            text.alignY = WmfAlignY::Baseline;
            break;
        default:
            text.alignY = WmfAlignY::Top;
            break;
        }
        if (box) {
            text.hasRect = true;
            text.rect = MapRect(box->left, box->top, box->right, box->bottom);
            text.opaqueRect = (options & kEtoOpaque) != 0;
            text.clipToRect = (options & kEtoClipped) != 0;
        }
        const double size = std::max(text.font.height, 12.0);
        const double cost =
            std::min(size * size * static_cast<double>(length + 1), mWidth * mHeight);
        if (Spend(cost + (text.hasRect ? VisibleArea(text.rect.left, text.rect.top, text.rect.right,
                                                     text.rect.bottom)
                                       : 0),
                  static_cast<double>(length))) {
            mCanvas.Text(text);
        }
    }

    void RunTextOut(const WmfRecord& record) {
        const std::size_t length = record.Word(0);
        const std::size_t words = (length + 1) / 2;
        DrawText(record, record.Int(2 + words), record.Int(1 + words), 2, length, record.Words(), 0,
                 std::nullopt);
    }

    void RunExtTextOut(const WmfRecord& record) {
        const double y = record.Int(0);
        const double x = record.Int(1);
        const std::size_t length = record.Word(2);
        const unsigned options = record.Word(3);
        std::size_t at = 4;
        std::optional<Box> box;
        if (options & (kEtoOpaque | kEtoClipped)) {
            box = Box{double(record.Int(4)), double(record.Int(5)), double(record.Int(6)),
                      double(record.Int(7))};
            at = 8;
        }
        DrawText(record, x, y, 2 * at, length, at + (length + 1) / 2, options, box);
    }

    // Raster operations: the middle byte of the code names the operation.
    static std::optional<WmfBlend> BlendOf(std::uint32_t rop) {
        switch ((rop >> 16) & 0xFF) {
        case 0x33:
            return WmfBlend::InvertedCopy;
        case 0x88:
            return WmfBlend::And;
        case 0xEE:
            return WmfBlend::Or;
        case 0x66:
            return WmfBlend::Xor;
        case 0xCC:
            return WmfBlend::Copy;
        default:
            return std::nullopt; // an operation without a source
        }
    }

    // A fill without a source picture (PatBlt, or a blit whose operation uses none).
    void FillWithRop(std::uint32_t rop, const WmfRect& rect) {
        WmfFill fill = WmfFill::Brush;
        switch ((rop >> 16) & 0xFF) {
        case 0xAA:
            return; // leaves the destination as it is
        case 0x00:
            fill = WmfFill::Black;
            break;
        case 0xFF:
            fill = WmfFill::White;
            break;
        case 0x55:
            fill = WmfFill::Invert;
            break;
        case 0x5A:
            fill = WmfFill::BrushXor;
            break;
        default:
            if (mDc.brush.style == WmfBrushStyle::Null) {
                return;
            }
            break;
        }
        if (Spend(VisibleArea(rect.left, rect.top, rect.right, rect.bottom), 4)) {
            mCanvas.FillRect(rect, fill, mDc.brush, mDc.background);
        }
    }

    // The DIB at byte `dibAt`, its part (x, y, w, h) stretched into `dest`.
    // `fromBottom`: y counts from the picture's bottom edge, as it does for
    // the device-independent calls on bottom-up DIBs.
    void DrawDib(const WmfRecord& record, std::size_t dibAt, std::uint32_t rop, int x, int y, int w,
                 int h, WmfRect dest, bool fromBottom) {
        const std::optional<WmfBlend> blend = BlendOf(rop);
        if (!blend) {
            FillWithRop(rop, dest);
            return;
        }
        if (dibAt >= record.size || w <= 0 || h <= 0) {
            return;
        }
        std::optional<WmfDib> dib = ReadDib(record.params + dibAt, record.size - dibAt);
        if (!dib) {
            return;
        }
        const Bitmap& picture = dib->bitmap;
        const int top = fromBottom && dib->bottomUp ? picture.Height() - y - h : y;
        Rect source{x, top, x + w, top + h};
        // A source reaching past the picture is cut, and the destination with it.
        const Rect inside{std::max(source.left, 0), std::max(source.top, 0),
                          std::min(source.right, picture.Width()),
                          std::min(source.bottom, picture.Height())};
        if (inside.left >= inside.right || inside.top >= inside.bottom) {
            return;
        }
        const double sx = (dest.right - dest.left) / w;
        const double sy = (dest.bottom - dest.top) / h;
        dest = WmfRect{dest.left + (inside.left - source.left) * sx,
                       dest.top + (inside.top - source.top) * sy,
                       dest.right - (source.right - inside.right) * sx,
                       dest.bottom - (source.bottom - inside.bottom) * sy};
        const double sourcePixels = double(inside.Width()) * inside.Height();
        if (Spend(VisibleArea(dest.left, dest.top, dest.right, dest.bottom) + sourcePixels, 4)) {
            mCanvas.Picture(picture, inside, dest, *blend);
        }
    }

    void RunStretchDib(const WmfRecord& record) {
        if (record.Word(2) != 0) {
            return; // palette indices instead of colours: no logical palette is kept
        }
        const double yDest = record.Int(9), xDest = record.Int(10);
        const double destHeight = record.Int(7), destWidth = record.Int(8);
        DrawDib(record, 22, record.Dword(0), record.Int(6), record.Int(5), record.Int(4),
                record.Int(3), MapRect(xDest, yDest, xDest + destWidth, yDest + destHeight), true);
    }

    void RunDibStretchBlt(const WmfRecord& record) {
        const std::uint32_t rop = record.Dword(0);
        // Without a picture the record has one reserved word more than the
        // header's size and a destination only.
        if (record.Words() + 3 == static_cast<std::size_t>((record.function >> 8) + 3)) {
            const std::size_t d = record.function == DibStretchBlt ? 7 : 5;
            const double y = record.Int(d + 2), x = record.Int(d + 3);
            FillWithRop(rop, MapRect(x, y, x + record.Int(d + 1), y + record.Int(d)));
            return;
        }
        if (record.function == DibStretchBlt) {
            const double yDest = record.Int(8), xDest = record.Int(9);
            DrawDib(record, 20, rop, record.Int(5), record.Int(4), record.Int(3), record.Int(2),
                    MapRect(xDest, yDest, xDest + record.Int(7), yDest + record.Int(6)), false);
        } else {
            const int height = record.Int(4), width = record.Int(5);
            const double yDest = record.Int(6), xDest = record.Int(7);
            DrawDib(record, 16, rop, record.Int(3), record.Int(2), width, height,
                    MapRect(xDest, yDest, xDest + width, yDest + height), false);
        }
    }

    void RunSetDibToDev(const WmfRecord& record) {
        if (record.Word(0) != 0) {
            return;
        }
        const int height = record.Int(5), width = record.Int(6);
        const double yDest = record.Int(7), xDest = record.Int(8);
        DrawDib(record, 18, 0x00CC0020, record.Int(4), record.Int(3), width, height,
                MapRect(xDest, yDest, xDest + width, yDest + height), true);
    }

    void RunPatBlt(const WmfRecord& record) {
        const double height = record.Int(2), width = record.Int(3);
        const double y = record.Int(4), x = record.Int(5);
        FillWithRop(record.Dword(0), MapRect(x, y, x + width, y + height));
    }

    void RunSetPixel(const WmfRecord& record) {
        const double y = record.Int(2), x = record.Int(3);
        WmfBrush brush;
        brush.color = ReadColorRef(record.Dword(0));
        const WmfRect rect = MapRect(x, y, x + 1, y + 1);
        if (Spend(VisibleArea(rect.left, rect.top, rect.right, rect.bottom), 1)) {
            mCanvas.FillRect(rect, WmfFill::Brush, brush, mDc.background);
        }
    }

    // Objects go into the lowest free slot; a full table drops the new one.
    void AddObject(Object object) {
        for (std::optional<Object>& slot : mObjects) {
            if (!slot) {
                slot = std::move(object);
                return;
            }
        }
    }
    const Object* ObjectAt(std::size_t index) const {
        return index < mObjects.size() && mObjects[index] ? &*mObjects[index] : nullptr;
    }

    void RunSelectObject(const WmfRecord& record) {
        const Object* object = ObjectAt(record.Word(0));
        if (object == nullptr) {
            return;
        }
        switch (object->kind) {
        case Object::Kind::Pen:
            mDc.pen = object->pen;
            break;
        case Object::Kind::Brush:
            mDc.brush = object->brush;
            break;
        case Object::Kind::Font:
            mDc.font = object->font;
            break;
        case Object::Kind::Region:
            SetClipRegion(object->region);
            break;
        case Object::Kind::Other:
            break;
        }
    }

    std::vector<WmfRect> MapRegion(const WmfRegion& region) const {
        std::vector<WmfRect> rects;
        rects.reserve(region.rects.size());
        for (const Rect& r : region.rects) {
            rects.push_back(MapRect(r.left, r.top, r.right, r.bottom));
        }
        return rects;
    }

    void AddClip(WmfClipStep step) {
        if (step.kind == WmfClipStep::Kind::Reset || step.kind == WmfClipStep::Kind::Region) {
            mDc.clip.clear();
        }
        if (mDc.clip.size() >= kMaxClipSteps) {
            return; // a damaged file's endless clipping; what is set stays
        }
        mDc.clip.push_back(std::move(step));
        mCanvas.SetClip(mDc.clip);
    }
    void SetClipRegion(const WmfRegion& region) {
        AddClip({WmfClipStep::Kind::Region, MapRegion(region)});
    }

    void RunClipRect(const WmfRecord& record) {
        const Box b = ReadBox(record, 0);
        AddClip({record.function == IntersectClipRect ? WmfClipStep::Kind::Intersect
                                                      : WmfClipStep::Kind::Exclude,
                 {MapRect(b.left, b.top, b.right, b.bottom)}});
    }

    void RunRegionFill(const WmfRecord& record) {
        const Object* region = ObjectAt(record.Word(0));
        if (region == nullptr || region->kind != Object::Kind::Region) {
            return;
        }
        WmfBrush brush = mDc.brush;
        WmfFill fill = WmfFill::Brush;
        if (record.function == FillRegion) {
            const Object* chosen = ObjectAt(record.Word(1));
            if (chosen == nullptr || chosen->kind != Object::Kind::Brush) {
                return;
            }
            brush = chosen->brush;
        } else if (record.function == InvertRegion) {
            fill = WmfFill::Invert;
        }
        if (fill == WmfFill::Brush && brush.style == WmfBrushStyle::Null) {
            return;
        }
        for (const WmfRect& rect : MapRegion(region->region)) {
            if (!Spend(VisibleArea(rect.left, rect.top, rect.right, rect.bottom), 4)) {
                return;
            }
            mCanvas.FillRect(rect, fill, brush, mDc.background);
        }
    }

    void RunRestoreDc(const WmfRecord& record) {
        // Negative: that many states back; positive: the state saved as number n.
        const int which = record.Int(0);
        const int size = static_cast<int>(mSaved.size());
        const int keep = which < 0 ? size + which : which - 1;
        if (keep < 0 || keep >= size) {
            return;
        }
        const bool clipChanges = mSaved[static_cast<std::size_t>(keep)].clip != mDc.clip;
        mDc = std::move(mSaved[static_cast<std::size_t>(keep)]);
        mSaved.resize(static_cast<std::size_t>(keep));
        UpdateScale();
        if (clipChanges) {
            mCanvas.SetClip(mDc.clip);
        }
    }

    void RunWindow(const WmfRecord& record) {
        if (!mMapped) {
            return;
        }
        const double y = record.Int(0), x = record.Int(1);
        switch (record.function) {
        case SetWindowOrg:
            mDc.windowOrg = {x, y};
            break;
        case OffsetWindowOrg:
            mDc.windowOrg = {mDc.windowOrg.x + x, mDc.windowOrg.y + y};
            break;
        case SetWindowExt:
            // A zero extent is refused, as the system refuses it.
            if (x != 0 && y != 0) {
                mDc.windowExt = {x, y};
            }
            break;
        case ScaleWindowExt: {
            // y denominator, y numerator, x denominator, x numerator.
            const double xNum = record.Int(3), xDenom = record.Int(2);
            const double yNum = record.Int(1), yDenom = record.Int(0);
            if (xDenom != 0 && yDenom != 0 && xNum != 0 && yNum != 0) {
                mDc.windowExt = {mDc.windowExt.x * xNum / xDenom, mDc.windowExt.y * yNum / yDenom};
            }
            break;
        }
        default:
            break;
        }
        UpdateScale();
    }

    void Run(const WmfRecord& record) {
        switch (record.function) {
        case SetWindowOrg:
        case SetWindowExt:
        case OffsetWindowOrg:
        case ScaleWindowExt:
            RunWindow(record);
            break;
        case SetMapMode:
            mDc.isotropic = record.Word(0) == MmIsotropic;
            UpdateScale();
            break;
        case SetBkColor:
            mDc.background.color = ReadColorRef(record.Dword(0));
            break;
        case SetBkMode:
            mDc.background.opaque = record.Word(0) != 1;
            break;
        case SetTextColor:
            mDc.textColor = ReadColorRef(record.Dword(0));
            break;
        case SetTextAlign:
            mDc.textAlign = record.Word(0);
            break;
        case SetPolyFillMode:
            mDc.winding = record.Word(0) == 2;
            break;
        case MoveTo:
            mDc.position = {double(record.Int(1)), double(record.Int(0))};
            break;
        case LineTo: {
            const WmfPoint to{double(record.Int(1)), double(record.Int(0))};
            Stroke({Map(mDc.position.x, mDc.position.y), Map(to.x, to.y)});
            mDc.position = to;
            break;
        }
        case Rectangle:
            RunRectangle(record);
            break;
        case Ellipse:
            RunEllipse(record);
            break;
        case RoundRect:
            RunRoundRect(record);
            break;
        case Arc:
        case Pie:
        case Chord:
            RunArc(record);
            break;
        case Polygon:
        case Polyline:
            RunPoly(record);
            break;
        case PolyPolygon:
            RunPolyPolygon(record);
            break;
        case TextOut:
            RunTextOut(record);
            break;
        case ExtTextOut:
            RunExtTextOut(record);
            break;
        case PatBlt:
            RunPatBlt(record);
            break;
        case SetPixel:
            RunSetPixel(record);
            break;
        case StretchDib:
            RunStretchDib(record);
            break;
        case DibStretchBlt:
        case DibBitBlt:
            RunDibStretchBlt(record);
            break;
        case SetDibToDev:
            RunSetDibToDev(record);
            break;
        case SaveDC:
            if (mSaved.size() < kMaxSavedStates) {
                mSaved.push_back(mDc);
            }
            break;
        case RestoreDC:
            RunRestoreDc(record);
            break;
        case CreatePenIndirect:
            AddObject({Object::Kind::Pen, ReadPen(record)});
            break;
        case CreateBrushIndirect:
            AddObject({Object::Kind::Brush, {}, ReadBrush(record)});
            break;
        case DibCreatePatternBrush:
            AddObject({Object::Kind::Brush, {}, ReadDibPatternBrush(record)});
            break;
        case CreatePatternBrush:
            AddObject({Object::Kind::Brush, {}, ReadPatternBrush(record)});
            break;
        case CreateFontIndirect:
            AddObject({Object::Kind::Font, {}, {}, ReadFont(record)});
            break;
        case CreateRegion:
            AddObject({Object::Kind::Region, {}, {}, {}, ReadRegion(record)});
            break;
        case CreatePalette:
            AddObject({Object::Kind::Other});
            break;
        case SelectObject:
            RunSelectObject(record);
            break;
        case DeleteObject:
            if (record.Word(0) < mObjects.size()) {
                mObjects[record.Word(0)].reset();
            }
            break;
        case IntersectClipRect:
        case ExcludeClipRect:
            RunClipRect(record);
            break;
        case SelectClipRegion: {
            const Object* region = ObjectAt(record.Word(0));
            if (region != nullptr && region->kind == Object::Kind::Region) {
                SetClipRegion(region->region);
            } else {
                AddClip({WmfClipStep::Kind::Reset, {}});
            }
            break;
        }
        case FillRegion:
        case PaintRegion:
        case InvertRegion:
            RunRegionFill(record);
            break;
        default:
            break; // palettes, escapes and the settings that change nothing here
        }
    }

    const WmfFile& mFile;
    WmfCanvas& mCanvas;
    const bool mMapped;
    const double mWidth;
    const double mHeight;
    double mScaleX = 1;
    double mScaleY = 1;
    DcState mDc;
    std::vector<DcState> mSaved;
    std::vector<std::optional<Object>> mObjects;
    double mPointsLeft = kPointBudget;
    double mPixelsLeft;
};

// The frame and its units per inch (0 when empty).
struct FoundFrame {
    Frame frame;
    double unitsPerInch = 0;
};

double UnitsPerInch(int mapMode) {
    switch (mapMode) {
    case MmLoMetric:
        return 254;
    case MmHiMetric:
        return 2540;
    case MmLoEnglish:
        return 100;
    case MmHiEnglish:
        return 1000;
    case MmTwips:
        return 1440;
    default:
        return kScreenDpi;
    }
}

FoundFrame FindFrame(const WmfFile& file) {
    const Rect& bounds = file.Bounds();
    if (file.Placeable() && bounds.Width() != 0 && bounds.Height() != 0) {
        // Files that leave the resolution out mostly mean twips.
        const int perInch = file.UnitsPerInch() > 0 ? file.UnitsPerInch() : 1440;
        return {{{double(bounds.left), double(bounds.top)},
                 {double(bounds.Width()), double(bounds.Height())}},
                double(perInch)};
    }
    int mapMode = MmText;
    WmfPoint origin;
    for (const WmfRecord& record : file.Records()) {
        if (Draws(record.function)) {
            break;
        }
        if (record.function == SetMapMode) {
            mapMode = record.Word(0);
        } else if (record.function == SetWindowOrg) {
            origin = {double(record.Int(1)), double(record.Int(0))};
        } else if (record.function == SetWindowExt && record.Int(0) != 0 && record.Int(1) != 0) {
            return {{origin, {double(record.Int(1)), double(record.Int(0))}},
                    UnitsPerInch(mapMode)};
        }
    }
    ExtentCanvas extent;
    Player(file, extent, std::nullopt, 0, 0).Play();
    if (extent.Empty()) {
        return {};
    }
    Frame frame = extent.Extent();
    const bool metric = mapMode >= MmLoMetric && mapMode <= MmTwips;
    if (metric) {
        // These modes count y upwards: the top of the picture is the largest y.
        frame.origin.y += frame.extent.y;
        frame.extent.y = -frame.extent.y;
    }
    return {frame, UnitsPerInch(mapMode)};
}

} // namespace

WmfSize WmfPictureSize(const WmfFile& file) {
    const FoundFrame found = FindFrame(file);
    if (found.unitsPerInch <= 0) {
        return {};
    }
    const double scale = kScreenDpi / found.unitsPerInch;
    double width = std::max(std::round(std::abs(found.frame.extent.x) * scale), 1.0);
    double height = std::max(std::round(std::abs(found.frame.extent.y) * scale), 1.0);
    const double shrink = std::min({1.0, kMaxWmfSide / std::max(width, height),
                                    std::sqrt(double(kMaxWmfPixels) / (width * height))});
    width = std::max(std::floor(width * shrink), 1.0);
    height = std::max(std::floor(height * shrink), 1.0);
    return {static_cast<int>(width), static_cast<int>(height)};
}

void PlayWmf(const WmfFile& file, WmfCanvas& canvas, int width, int height) {
    const FoundFrame found = FindFrame(file);
    if (found.unitsPerInch <= 0 || width < 1 || height < 1) {
        return;
    }
    Player(file, canvas, found.frame, width, height).Play();
}

} // namespace pixmoth
