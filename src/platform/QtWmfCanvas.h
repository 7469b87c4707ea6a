#pragma once

#include <QPainter>

#include "imaging/codecs/wmf/WmfCanvas.h"

class QImage;

namespace pixmoth {

// Draws a metafile's shapes, text and pictures on a 32-bit image with QPainter:
// shapes and pictures without smoothing, as the system that wrote the file
// draws them, text smoothed. Pictures are stretched nearest-pixel.
class QtWmfCanvas : public WmfCanvas {
public:
    explicit QtWmfCanvas(QImage& image);

    void Polyline(const std::vector<WmfPoint>& points, const WmfPen& pen,
                  const WmfBackground& background) override;
    void Polygons(const std::vector<std::vector<WmfPoint>>& polygons, bool winding,
                  const WmfPen& pen, const WmfBrush& brush,
                  const WmfBackground& background) override;
    void Text(const WmfText& text) override;
    void Picture(const Bitmap& picture, const Rect& source, const WmfRect& dest,
                 WmfBlend blend) override;
    void FillRect(const WmfRect& rect, WmfFill fill, const WmfBrush& brush,
                  const WmfBackground& background) override;
    void SetClip(const std::vector<WmfClipStep>& steps) override;

private:
    void UseBackground(const WmfBackground& background);

    QPainter mPainter;
    QRect mBounds;
};

} // namespace pixmoth
