// Feeds arbitrary bytes to the metafile reader and player: the reader may
// refuse them with an Error, but reading and playing must not crash, read out
// of bounds, hang or allocate absurd amounts, and whatever reaches the canvas
// must lie within the limits a canvas is promised.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/wmf/WmfCanvas.h"
#include "imaging/codecs/wmf/WmfFile.h"
#include "imaging/codecs/wmf/WmfPlayer.h"

namespace {

using namespace pixmoth;

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

void CheckPoint(const WmfPoint& p) {
    Check(std::isfinite(p.x) && std::isfinite(p.y) && std::abs(p.x) <= kWmfCoordinateLimit &&
          std::abs(p.y) <= kWmfCoordinateLimit);
}

void CheckRect(const WmfRect& r) {
    CheckPoint({r.left, r.top});
    CheckPoint({r.right, r.bottom});
}

void CheckPen(const WmfPen& pen) {
    Check(pen.width >= 0 && pen.width <= kWmfMaxPenWidth);
}

// Checks every call against the canvas contract and draws nothing.
class CheckingCanvas : public WmfCanvas {
public:
    void Polyline(const std::vector<WmfPoint>& points, const WmfPen& pen,
                  const WmfBackground&) override {
        CheckPen(pen);
        for (const WmfPoint& p : points) {
            CheckPoint(p);
        }
    }
    void Polygons(const std::vector<std::vector<WmfPoint>>& polygons, bool, const WmfPen& pen,
                  const WmfBrush& brush, const WmfBackground&) override {
        CheckPen(pen);
        Check(brush.style != WmfBrushStyle::Pattern ||
              (brush.pattern && brush.pattern->Format() == PixelFormat::Bit24));
        for (const auto& polygon : polygons) {
            for (const WmfPoint& p : polygon) {
                CheckPoint(p);
            }
        }
    }
    void Text(const WmfText& text) override {
        CheckPoint(text.origin);
        Check(text.font.height >= 0 && text.font.height <= kWmfMaxFontHeight);
        Check(text.font.width >= 0 && text.font.width <= kWmfMaxFontHeight);
        if (text.hasRect) {
            CheckRect(text.rect);
        }
    }
    void Picture(const Bitmap& picture, const Rect& source, const WmfRect& dest,
                 WmfBlend) override {
        Check(picture.Format() == PixelFormat::Bit24);
        Check(source.left >= 0 && source.top >= 0 && source.left < source.right &&
              source.top < source.bottom && source.right <= picture.Width() &&
              source.bottom <= picture.Height());
        CheckRect(dest);
    }
    void FillRect(const WmfRect& rect, WmfFill, const WmfBrush&, const WmfBackground&) override {
        CheckRect(rect);
    }
    void SetClip(const std::vector<WmfClipStep>& steps) override {
        for (const WmfClipStep& step : steps) {
            for (const WmfRect& rect : step.rects) {
                CheckRect(rect);
            }
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const WmfFile file = WmfFile::Parse(data, size);
        const WmfSize own = WmfPictureSize(file);
        Check(own.width >= 0 && own.width <= kMaxWmfSide && own.height >= 0 &&
              own.height <= kMaxWmfSide && std::int64_t{own.width} * own.height <= kMaxWmfPixels);
        CheckingCanvas canvas;
        PlayWmf(file, canvas, own.width, own.height);
        // A thumbnail-sized playing exercises other scales.
        PlayWmf(file, canvas, 91, 91);
    } catch (const Error&) {
    }
    return 0;
}
