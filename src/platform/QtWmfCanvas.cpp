#include "platform/QtWmfCanvas.h"

#include <algorithm>

#include <QFontMetricsF>
#include <QImage>
#include <QPainterPath>
#include <QRegion>

namespace pixmoth {

namespace {

QColor ColorOf(const WmfColor& color) {
    return QColor(color.red, color.green, color.blue);
}

QPointF PointOf(const WmfPoint& p) {
    return QPointF(p.x, p.y);
}

QRectF RectOf(const WmfRect& r) {
    return QRectF(QPointF(r.left, r.top), QPointF(r.right, r.bottom)).normalized();
}

QRect PixelRectOf(const WmfRect& r) {
    const QRectF f = RectOf(r);
    return QRect(QPoint(qRound(f.left()), qRound(f.top())),
                 QPoint(qRound(f.right()) - 1, qRound(f.bottom()) - 1));
}

QImage ImageOf(const Bitmap& picture) {
    // A view of the 24-bit rows, which have QImage's BGR888 layout.
    return QImage(picture.Bits(), picture.Width(), picture.Height(),
                  static_cast<qsizetype>(picture.Stride()), QImage::Format_BGR888);
}

QPen PenOf(const WmfPen& pen) {
    if (pen.style == WmfPenStyle::Null) {
        return QPen(Qt::NoPen);
    }
    // Widths of a pixel or less are the one-pixel cosmetic pen.
    QPen result(ColorOf(pen.color), pen.width > 1 ? pen.width : 0);
    switch (pen.style) {
    case WmfPenStyle::Dash:
        result.setStyle(Qt::DashLine);
        break;
    case WmfPenStyle::Dot:
        result.setStyle(Qt::DotLine);
        break;
    case WmfPenStyle::DashDot:
        result.setStyle(Qt::DashDotLine);
        break;
    case WmfPenStyle::DashDotDot:
        result.setStyle(Qt::DashDotDotLine);
        break;
    default:
        result.setStyle(Qt::SolidLine);
        break;
    }
    result.setCapStyle(pen.cap == WmfLineCap::Flat     ? Qt::FlatCap
                       : pen.cap == WmfLineCap::Square ? Qt::SquareCap
                                                       : Qt::RoundCap);
    result.setJoinStyle(pen.join == WmfLineJoin::Bevel   ? Qt::BevelJoin
                        : pen.join == WmfLineJoin::Miter ? Qt::MiterJoin
                                                         : Qt::RoundJoin);
    return result;
}

QBrush BrushOf(const WmfBrush& brush) {
    switch (brush.style) {
    case WmfBrushStyle::Null:
        return QBrush(Qt::NoBrush);
    case WmfBrushStyle::Hatched: {
        static constexpr Qt::BrushStyle kHatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                      Qt::FDiagPattern, Qt::BDiagPattern,
                                                      Qt::CrossPattern, Qt::DiagCrossPattern};
        return QBrush(ColorOf(brush.color), kHatches[static_cast<int>(brush.hatch)]);
    }
    case WmfBrushStyle::Pattern:
        if (brush.pattern && !brush.pattern->Empty()) {
            return QBrush(ImageOf(*brush.pattern).copy());
        }
        return QBrush(Qt::gray);
    case WmfBrushStyle::Solid:
        break;
    }
    return QBrush(ColorOf(brush.color));
}

QFont FontOf(const WmfFont& font) {
    QFont result;
    if (!font.face.empty()) {
        result.setFamily(QString::fromStdString(font.face));
    }
    switch (font.pitchAndFamily >> 4) {
    case 1:
        result.setStyleHint(QFont::Serif);
        break;
    case 2:
        result.setStyleHint(QFont::SansSerif);
        break;
    case 3:
        result.setStyleHint(QFont::TypeWriter);
        break;
    case 4:
        result.setStyleHint(QFont::Cursive);
        break;
    case 5:
        result.setStyleHint(QFont::Decorative);
        break;
    default:
        break;
    }
    if (font.weight > 0) {
        result.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight, 100, 900)));
    }
    result.setItalic(font.italic);
    result.setUnderline(font.underline);
    result.setStrikeOut(font.strikeOut);
    // The default size of a font whose height is left open.
    const double height = font.height >= 0.5 ? font.height : 13;
    result.setPixelSize(std::max(1, qRound(height)));
    if (font.heightIsCell && font.height >= 0.5) {
        // A cell height includes the internal leading: the em is smaller.
        const double cell = QFontMetricsF(result).height();
        if (cell > 0) {
            result.setPixelSize(std::max(1, qRound(height * height / cell)));
        }
    }
    if (font.width >= 0.5) {
        const double natural = QFontMetricsF(result).averageCharWidth();
        if (natural > 0) {
            result.setStretch(std::clamp(qRound(100 * font.width / natural), 1, 4000));
        }
    }
    return result;
}

} // namespace

QtWmfCanvas::QtWmfCanvas(QImage& image) : mPainter(&image), mBounds(image.rect()) {
    mPainter.setRenderHint(QPainter::Antialiasing, false);
    mPainter.setRenderHint(QPainter::TextAntialiasing, true);
    mPainter.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

void QtWmfCanvas::UseBackground(const WmfBackground& background) {
    mPainter.setBackgroundMode(background.opaque ? Qt::OpaqueMode : Qt::TransparentMode);
    mPainter.setBackground(QBrush(ColorOf(background.color)));
}

void QtWmfCanvas::Polyline(const std::vector<WmfPoint>& points, const WmfPen& pen,
                           const WmfBackground& background) {
    QPolygonF line;
    line.reserve(static_cast<qsizetype>(points.size()));
    for (const WmfPoint& p : points) {
        line << PointOf(p);
    }
    UseBackground(background);
    mPainter.setPen(PenOf(pen));
    mPainter.setBrush(Qt::NoBrush);
    mPainter.drawPolyline(line);
}

void QtWmfCanvas::Polygons(const std::vector<std::vector<WmfPoint>>& polygons, bool winding,
                           const WmfPen& pen, const WmfBrush& brush,
                           const WmfBackground& background) {
    QPainterPath path;
    path.setFillRule(winding ? Qt::WindingFill : Qt::OddEvenFill);
    for (const auto& polygon : polygons) {
        if (polygon.empty()) {
            continue;
        }
        path.moveTo(PointOf(polygon.front()));
        for (std::size_t i = 1; i < polygon.size(); ++i) {
            path.lineTo(PointOf(polygon[i]));
        }
        path.closeSubpath();
    }
    UseBackground(background);
    mPainter.setPen(PenOf(pen));
    mPainter.setBrush(BrushOf(brush));
    mPainter.drawPath(path);
}

void QtWmfCanvas::Text(const WmfText& text) {
    mPainter.save();
    if (text.hasRect) {
        const QRectF rect = RectOf(text.rect);
        if (text.opaqueRect) {
            mPainter.fillRect(rect, ColorOf(text.background.color));
        }
        if (text.clipToRect) {
            mPainter.setClipRect(rect, Qt::IntersectClip);
        }
    }
    const QFont font = FontOf(text.font);
    const QFontMetricsF metrics(font);
    const QString string = QString::fromStdString(text.text);
    double width = 0;
    if (!text.advances.empty()) {
        for (double advance : text.advances) {
            width += advance;
        }
    } else {
        width = metrics.horizontalAdvance(string);
    }
    double x = text.alignX == WmfAlignX::Center  ? -width / 2
               : text.alignX == WmfAlignX::Right ? -width
                                                 : 0;
    const double y = text.alignY == WmfAlignY::Top      ? metrics.ascent()
                     : text.alignY == WmfAlignY::Bottom ? -metrics.descent()
                                                        : 0;
    mPainter.translate(PointOf(text.origin));
    mPainter.rotate(-text.font.angle);
    if (text.background.opaque) {
        mPainter.fillRect(QRectF(x, y - metrics.ascent(), width, metrics.height()),
                          ColorOf(text.background.color));
    }
    mPainter.setFont(font);
    mPainter.setPen(ColorOf(text.color));
    if (text.advances.empty()) {
        mPainter.drawText(QPointF(x, y), string);
    } else {
        // One advance per character of the code page, each a single QChar.
        for (qsizetype i = 0; i < string.size(); ++i) {
            mPainter.drawText(QPointF(x, y), QString(string[i]));
            if (static_cast<std::size_t>(i) < text.advances.size()) {
                x += text.advances[static_cast<std::size_t>(i)];
            }
        }
    }
    mPainter.restore();
}

void QtWmfCanvas::Picture(const Bitmap& picture, const Rect& source, const WmfRect& dest,
                          WmfBlend blend) {
    static constexpr QPainter::CompositionMode kModes[] = {
        QPainter::CompositionMode_SourceOver, QPainter::RasterOp_NotSource,
        QPainter::RasterOp_SourceAndDestination, QPainter::RasterOp_SourceOrDestination,
        QPainter::RasterOp_SourceXorDestination};
    mPainter.save();
    mPainter.setCompositionMode(kModes[static_cast<int>(blend)]);
    // Negative scales mirror the picture, as a destination given from right to left asks.
    mPainter.translate(dest.left, dest.top);
    mPainter.scale((dest.right - dest.left) / source.Width(),
                   (dest.bottom - dest.top) / source.Height());
    mPainter.drawImage(QPointF(0, 0), ImageOf(picture),
                       QRectF(source.left, source.top, source.Width(), source.Height()));
    mPainter.restore();
}

void QtWmfCanvas::FillRect(const WmfRect& rect, WmfFill fill, const WmfBrush& brush,
                           const WmfBackground& background) {
    const QRectF area = RectOf(rect);
    mPainter.save();
    UseBackground(background);
    switch (fill) {
    case WmfFill::Brush:
        mPainter.fillRect(area, BrushOf(brush));
        break;
    case WmfFill::BrushXor:
        mPainter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        mPainter.fillRect(area, BrushOf(brush));
        break;
    case WmfFill::Black:
        mPainter.fillRect(area, Qt::black);
        break;
    case WmfFill::White:
        mPainter.fillRect(area, Qt::white);
        break;
    case WmfFill::Invert:
        mPainter.setCompositionMode(QPainter::RasterOp_NotDestination);
        mPainter.fillRect(area, Qt::white);
        break;
    }
    mPainter.restore();
}

void QtWmfCanvas::SetClip(const std::vector<WmfClipStep>& steps) {
    QRegion region(mBounds);
    for (const WmfClipStep& step : steps) {
        switch (step.kind) {
        case WmfClipStep::Kind::Reset:
            region = QRegion(mBounds);
            break;
        case WmfClipStep::Kind::Intersect:
            for (const WmfRect& rect : step.rects) {
                region &= PixelRectOf(rect);
            }
            break;
        case WmfClipStep::Kind::Exclude:
            for (const WmfRect& rect : step.rects) {
                region -= PixelRectOf(rect);
            }
            break;
        case WmfClipStep::Kind::Region:
            region = QRegion();
            for (const WmfRect& rect : step.rects) {
                region += PixelRectOf(rect);
            }
            break;
        }
    }
    mPainter.setClipRegion(region);
}

} // namespace pixmoth
