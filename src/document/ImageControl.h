#pragma once

#include <vector>

#include <QImage>
#include <QWidget>

#include "imaging/bitmap/Bitmap.h"

namespace pixmoth {

// The picture of a document window. It shows a Bitmap it does not own, without
// copying a 24-bit picture (other pixel formats get a 24-bit copy for display
// only), either at natural size or stretched to the control's size. Only the
// exposed part is drawn.
//
// On top of the picture it keeps dotted outlines drawn by inverting the pixels
// under their dots, like a not-xor pen: toggling the same rectangle twice
// removes it and restores every pixel, and where two outlines cross their dots
// cancel out.
class ImageControl : public QWidget {
    Q_OBJECT

public:
    explicit ImageControl(QWidget* parent = nullptr);

    // Shows `picture` (not owned; null shows nothing). Call PictureChanged after
    // every change of the picture's pixels, size or memory. It never throws, as
    // it runs on error paths too: when the display copy of a picture that is
    // not 24-bit cannot be made, the control shows nothing and the picture
    // itself stays as it is.
    void SetPicture(const Bitmap* picture);
    void PictureChanged() noexcept;

    bool Stretch() const { return mStretch; }
    void SetStretch(bool stretch);

    // `rect` in control coordinates, corners in any order; right and bottom are
    // one past the outline, as for a drawn rectangle. Empty rectangles draw nothing.
    void ToggleOutline(const Rect& rect);
    void ClearOutlines();

    // The control-coordinate pixels an outline inverts, all of them or those
    // inside `clip`. Only the part of each side inside `clip` is walked.
    static std::vector<QPoint> OutlineDots(const Rect& rect);
    static std::vector<QPoint> OutlineDots(const Rect& rect, const QRect& clip);

signals:
    void MousePressed(QPoint position, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    void MouseMoved(QPoint position, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    const Bitmap* mPicture = nullptr;
    Bitmap mDisplayCopy;
    QImage mImage;
    bool mStretch = false;
    std::vector<Rect> mOutlines;
};

} // namespace pixmoth
