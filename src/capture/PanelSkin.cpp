#include "capture/PanelSkin.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace pixmoth {

namespace {

const QColor kBodyLight(0x4a, 0x4e, 0x56);
const QColor kBodyDark(0x1f, 0x21, 0x25);
const QColor kPlateLight(0x6a, 0x6f, 0x78);
const QColor kPlateDark(0x3a, 0x3d, 0x43);

QLinearGradient Vertical(qreal top, qreal bottom, const QColor& upper, const QColor& lower) {
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, upper);
    gradient.setColorAt(1, lower);
    return gradient;
}

// A rounded pad pressed into the body: dark rim below, light rim above.
void Pad(QPainter& p, const QRectF& r, qreal radius, const QColor& top, const QColor& bottom) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawRoundedRect(r.adjusted(0, 1, 0, 1), radius, radius);
    p.setBrush(QColor(0, 0, 0, 150));
    p.drawRoundedRect(r.adjusted(0, -1, 0, -1), radius, radius);
    p.setBrush(Vertical(r.top(), r.bottom(), top, bottom));
    p.drawRoundedRect(r, radius, radius);
    p.setPen(QPen(QColor(255, 255, 255, 55), 1));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(r.left() + radius, r.top() + 1.5),
               QPointF(r.right() - radius, r.top() + 1.5));
}

void Screw(QPainter& p, QPointF at) {
    QRadialGradient head(at - QPointF(0.8, 0.8), 2.6);
    head.setColorAt(0, QColor(0xd8, 0xda, 0xde));
    head.setColorAt(1, QColor(0x55, 0x58, 0x5e));
    p.setPen(QPen(QColor(0x18, 0x19, 0x1c), 0.6));
    p.setBrush(head);
    p.drawEllipse(at, 2.4, 2.4);
    p.drawLine(at - QPointF(1.5, 0), at + QPointF(1.5, 0));
}

void Body(QPainter& p, const QRegion& outline) {
    QPainterPath shape;
    shape.addRegion(outline);
    shape = shape.simplified(); // the outer edge only, not the edges of every band
    p.setClipRegion(outline);
    p.fillRect(QRect(0, 0, 196, 254), Vertical(0, 254, kBodyLight, kBodyDark));
    // A fine leather-like grain over the body.
    p.setPen(QPen(QColor(255, 255, 255, 10), 1));
    for (int y = 48; y < 254; y += 3) {
        p.drawLine(0, y, 196, y + ((y / 3) % 2));
    }
    // The metal top plate with the shutter release plate on it.
    p.fillRect(QRect(0, 0, 196, 46), Vertical(0, 46, kPlateLight, kPlateDark));
    p.setPen(QPen(QColor(0, 0, 0, 170), 1));
    p.drawLine(0, 46, 196, 46);
    p.setPen(QPen(QColor(255, 255, 255, 45), 1));
    p.drawLine(0, 47, 196, 47);
    p.fillRect(QRect(96, 0, 36, 6), Vertical(0, 6, QColor(0xe6, 0xe8, 0xeb), kPlateLight));
    // The hand grip: vertical ridges.
    for (int x = 180; x < 196; x += 3) {
        p.setPen(QPen(QColor(0, 0, 0, 90), 1));
        p.drawLine(x, 52, x, 158);
        p.setPen(QPen(QColor(255, 255, 255, 25), 1));
        p.drawLine(x + 1, 52, x + 1, 158);
    }
    p.setClipping(false);
    // Edge light on the upper left, shade on the lower right.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 60), 1.2));
    p.drawPath(shape.translated(0.6, 0.6));
    p.setPen(QPen(QColor(0, 0, 0, 200), 1));
    p.drawPath(shape);
}

void Viewfinder(QPainter& p) {
    const QRectF frame(14, 11, 60, 30);
    Pad(p, frame, 5, QColor(0x2b, 0x2d, 0x31), QColor(0x14, 0x15, 0x17));
    const QRectF glass = frame.adjusted(6, 5, -6, -5);
    QLinearGradient shine(glass.topLeft(), glass.bottomRight());
    shine.setColorAt(0, QColor(0x3c, 0x52, 0x6e));
    shine.setColorAt(0.45, QColor(0x0c, 0x10, 0x18));
    shine.setColorAt(1, QColor(0x1a, 0x24, 0x33));
    p.setPen(QPen(QColor(0, 0, 0), 1));
    p.setBrush(shine);
    p.drawRoundedRect(glass, 3, 3);
    p.setPen(QPen(QColor(255, 255, 255, 70), 1));
    p.drawLine(QPointF(glass.left() + 4, glass.top() + 3),
               QPointF(glass.left() + 16, glass.top() + 3));
}

void Display(QPainter& p) {
    // The bezel around the see-through display.
    const QRectF bezel(26.5, 133.5, 113, 92);
    p.setPen(QPen(QColor(0, 0, 0), 1));
    p.setBrush(
        Vertical(bezel.top(), bezel.bottom(), QColor(0x30, 0x32, 0x37), QColor(0x0b, 0x0c, 0x0e)));
    p.drawRoundedRect(bezel, 7, 7);
    p.setPen(QPen(QColor(255, 255, 255, 50), 1));
    p.drawLine(QPointF(33, 135.5), QPointF(133, 135.5));
    p.setPen(QPen(QColor(0x7a, 0x80, 0x8a), 1));
    p.setFont(QFont(QStringLiteral("Sans Serif"), 5));
    p.drawText(QRectF(33, 218, 100, 7), Qt::AlignCenter, QStringLiteral("2.5\" LCD"));
}

void DirectionPad(QPainter& p) {
    const QPointF centre(162, 181);
    QRadialGradient ring(centre - QPointF(5, 6), 26);
    ring.setColorAt(0, QColor(0x9a, 0x9f, 0xa8));
    ring.setColorAt(1, QColor(0x33, 0x36, 0x3b));
    p.setPen(QPen(QColor(0, 0, 0, 200), 1));
    p.setBrush(ring);
    p.drawEllipse(centre, 20, 20);
    p.setBrush(QColor(0xd0, 0xd3, 0xd8));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        p.save();
        p.translate(centre);
        p.rotate(90 * i);
        p.drawPolygon(QPolygonF({QPointF(0, -17), QPointF(-3.5, -12.5), QPointF(3.5, -12.5)}));
        p.restore();
    }
    QRadialGradient ok(centre - QPointF(2, 2), 9);
    ok.setColorAt(0, QColor(0x5a, 0x5e, 0x66));
    ok.setColorAt(1, QColor(0x1c, 0x1d, 0x20));
    p.setPen(QPen(QColor(0, 0, 0), 1));
    p.setBrush(ok);
    p.drawEllipse(centre, 8, 8);
}

void PowerButton(QPainter& p) {
    const QPointF centre(160.5, 81.5);
    QRadialGradient metal(centre - QPointF(4, 5), 20);
    metal.setColorAt(0, QColor(0xf2, 0xf3, 0xf5));
    metal.setColorAt(0.6, QColor(0x9b, 0xa0, 0xa8));
    metal.setColorAt(1, QColor(0x4b, 0x4f, 0x56));
    p.setPen(QPen(QColor(0, 0, 0, 210), 1));
    p.setBrush(metal);
    p.drawEllipse(centre, 16, 16);
    p.setBrush(Vertical(66, 97, QColor(0x8e, 0x1b, 0x1b), QColor(0x4a, 0x08, 0x08)));
    p.drawEllipse(centre, 12.5, 12.5);
}

void Speaker(QPainter& p) {
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 5; ++row) {
        for (int col = 0; col < 3; ++col) {
            const QPointF at(15 + 5 * col + (row % 2) * 2.5, 64 + 5 * row);
            p.setBrush(QColor(255, 255, 255, 35));
            p.drawEllipse(at + QPointF(0, 0.7), 1.3, 1.3);
            p.setBrush(QColor(0x08, 0x08, 0x09));
            p.drawEllipse(at, 1.3, 1.3);
        }
    }
}

void Details(QPainter& p) {
    // Strap lugs.
    for (int top : {24, 196}) {
        p.setPen(QPen(QColor(0, 0, 0), 1));
        p.setBrush(Vertical(top, top + 16, QColor(0xcf, 0xd2, 0xd6), QColor(0x5a, 0x5d, 0x63)));
        p.drawRect(QRectF(5.5, top + 0.5, 4, 15));
    }
    // Battery door seam, ending in the two notches.
    p.setPen(QPen(QColor(0, 0, 0, 160), 1));
    p.drawLine(QPointF(140, 108.5), QPointF(169, 108.5));
    p.drawLine(QPointF(140, 230.5), QPointF(169, 230.5));
    p.drawLine(QPointF(140.5, 108), QPointF(140.5, 124));
    Screw(p, {22, 240});
    Screw(p, {174, 240});
    Screw(p, {20, 112});
    // Lamp and the maker's name.
    QRadialGradient lamp(QPointF(140, 54), 3);
    lamp.setColorAt(0, QColor(0x9c, 0xff, 0x9c));
    lamp.setColorAt(1, QColor(0x12, 0x5c, 0x12));
    p.setPen(Qt::NoPen);
    p.setBrush(lamp);
    p.drawEllipse(QPointF(140, 54), 2.5, 2.5);
    QFont name(QStringLiteral("Sans Serif"));
    name.setPixelSize(9);
    name.setBold(true);
    name.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    p.setFont(name);
    p.setPen(QColor(0, 0, 0, 170));
    p.drawText(QRectF(40, 231, 100, 14), Qt::AlignCenter, QStringLiteral("PIXMOTH"));
    p.setPen(QColor(0xb8, 0xbc, 0xc4));
    p.drawText(QRectF(40, 230, 100, 14), Qt::AlignCenter, QStringLiteral("PIXMOTH"));
}

} // namespace

QImage PaintCameraBack(const QRegion& outline) {
    QImage picture(196, 254, QImage::Format_RGB888);
    picture.fill(QColor(0x10, 0x10, 0x12));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    Body(p, outline);
    p.setClipRegion(outline);
    Viewfinder(p);
    Speaker(p);
    Display(p);
    DirectionPad(p);
    PowerButton(p);
    Details(p);
    // Pads under the buttons of the panel.
    Pad(p, QRectF(90.5, 7.5, 46, 33), 6, QColor(0x55, 0x59, 0x61), QColor(0x2a, 0x2c, 0x31));
    Pad(p, QRectF(138.5, 8.5, 41, 26), 6, QColor(0xa3, 0x22, 0x22), QColor(0x5c, 0x0c, 0x0c));
    Pad(p, QRectF(34.5, 100.5, 46, 33), 6, QColor(0x4b, 0x4f, 0x57), QColor(0x24, 0x26, 0x2a));
    Pad(p, QRectF(82.5, 100.5, 46, 33), 6, QColor(0x4b, 0x4f, 0x57), QColor(0x24, 0x26, 0x2a));
    return picture;
}

} // namespace pixmoth
