#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <QPixmap>
#include <QPoint>
#include <QRegion>
#include <QWidget>

#include "imaging/bitmap/Bitmap.h"

namespace pixmoth {

// The skin of a borderless form: fills the form with a picture, cuts the form's
// window to a shape stored as "Mask2" data (see RegionData.h), and moves the
// form while the left mouse button is held on the skin. Made as a child of the
// form it shapes; the form loses its frame.
class TShapedForm : public QWidget {
    Q_OBJECT

public:
    explicit TShapedForm(QWidget* form);

    // Shown unscaled from the top-left corner. A new picture forgets the shape
    // (the window keeps its current one).
    void SetPicture(const QPixmap& picture);
    const QPixmap& Picture() const { return mPicture; }

    // Reads stored "Mask2" data and cuts the form to it. N = 0, or data that does
    // not read as a region, leaves the form rectangular.
    void ReadMask2(const std::uint8_t* data, std::size_t size);
    // The shape as "Mask2" data (N = 0 without one).
    std::vector<std::uint8_t> WriteMask2() const;
    bool HasShape() const { return !mRects.empty(); }
    QRegion Shape() const { return ShapeOf(mRects); }
    static QRegion ShapeOf(const std::vector<Rect>& rects);

    // The skin always sits at the form's top-left corner, whatever is written.
    void SetTop(int) { move(x(), 0); }
    void SetLeft(int) { move(0, y()); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap mPicture;
    std::vector<Rect> mRects;
    bool mMoving = false;
    QPoint mGrabOffset; // from the form's position to the mouse, while moving
};

} // namespace pixmoth
