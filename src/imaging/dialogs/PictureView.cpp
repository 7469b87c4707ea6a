#include "imaging/dialogs/PictureView.h"

#include <QMouseEvent>
#include <QPainter>

namespace pixmoth {

QImage ToImage(const Bitmap& picture) {
    if (picture.Empty()) {
        return {};
    }
    const auto wrap = [](const Bitmap& bitmap) {
        // Rows are top-down BGR with the padding QImage expects; copy() detaches.
        return QImage(bitmap.Bits(), bitmap.Width(), bitmap.Height(),
                      static_cast<qsizetype>(bitmap.Stride()), QImage::Format_BGR888)
            .copy();
    };
    if (picture.Format() == PixelFormat::Bit24) {
        return wrap(picture);
    }
    Bitmap converted(picture);
    converted.To24Bit();
    return wrap(converted);
}

PictureView::PictureView(QWidget* parent) : QWidget(parent) {}

void PictureView::SetPicture(std::shared_ptr<const Bitmap> picture) {
    mPicture = std::move(picture);
    if (mPicture == nullptr || mPicture->Empty()) {
        mImage = QImage();
    } else if (mPicture->Format() == PixelFormat::Bit24) {
        // Rows are top-down BGR with the padding QImage expects.
        mImage = QImage(mPicture->Bits(), mPicture->Width(), mPicture->Height(),
                        static_cast<qsizetype>(mPicture->Stride()), QImage::Format_BGR888);
    } else {
        mImage = ToImage(*mPicture);
    }
    FitToPicture();
    update();
}

void PictureView::SetStretch(bool stretch) {
    if (stretch != mStretch) {
        mStretch = stretch;
        update();
    }
}

void PictureView::SetAutoSize(bool autoSize) {
    if (autoSize != mAutoSize) {
        mAutoSize = autoSize;
        FitToPicture();
    }
}

void PictureView::FitToPicture() {
    if (mAutoSize) {
        resize(mImage.size());
    }
}

void PictureView::paintEvent(QPaintEvent* event) {
    if (mImage.isNull()) {
        return;
    }
    QPainter painter(this);
    if (mStretch) {
        painter.drawImage(rect(), mImage);
    } else {
        const QRect exposed = event->rect() & mImage.rect();
        painter.drawImage(exposed.topLeft(), mImage, exposed);
    }
}

void PictureView::mousePressEvent(QMouseEvent* event) {
    emit MousePressed(event->position().toPoint(), event->button());
}

} // namespace pixmoth
