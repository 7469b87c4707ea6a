#pragma once

#include <memory>

#include <QImage>
#include <QWidget>

#include "imaging/bitmap/Bitmap.h"

namespace pixmoth {

// A picture control of the dialogs: shows a bitmap it shares with its dialog,
// either at natural size from the top-left corner or stretched to the
// control's size (nearest pixel, aspect not kept), and reports mouse presses.
// The bitmap must not change while shown; a 24-bit one is shown without a copy.
class PictureView : public QWidget {
    Q_OBJECT

public:
    explicit PictureView(QWidget* parent = nullptr);

    // A bitmap that is not 24-bit gets a 24-bit copy for display.
    void SetPicture(std::shared_ptr<const Bitmap> picture);
    const QImage& Image() const { return mImage; }

    bool Stretch() const { return mStretch; }
    void SetStretch(bool stretch);
    // With auto-size on, the control takes the picture's size whenever either changes.
    bool AutoSize() const { return mAutoSize; }
    void SetAutoSize(bool autoSize);

signals:
    void MousePressed(QPoint position, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void FitToPicture();

    std::shared_ptr<const Bitmap> mPicture;
    QImage mImage;
    bool mStretch = false;
    bool mAutoSize = false;
};

// A copy of the picture as an image of the same pixels (24-bit BGR); a null
// image for an empty picture.
QImage ToImage(const Bitmap& picture);

} // namespace pixmoth
