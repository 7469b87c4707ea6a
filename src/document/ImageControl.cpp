#include "document/ImageControl.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "document/Selection.h"

namespace pixmoth {

ImageControl::ImageControl(QWidget* parent) : QWidget(parent) {
    // Every move shows the position, not only drags; a click focuses the control
    // so that clicking a document's picture activates its window.
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageControl::SetPicture(const Bitmap* picture) {
    mPicture = picture;
    PictureChanged();
}

void ImageControl::PictureChanged() noexcept {
    mImage = QImage();
    mDisplayCopy = Bitmap();
    if (mPicture != nullptr && !mPicture->Empty()) {
        const Bitmap* shown = mPicture;
        try {
            if (mPicture->Format() != PixelFormat::Bit24) {
                mDisplayCopy = *mPicture;
                mDisplayCopy.To24Bit();
                shown = &mDisplayCopy;
            }
            // Rows are top-down BGR with the same padding QImage expects: no copy.
            mImage = QImage(shown->Bits(), shown->Width(), shown->Height(),
                            static_cast<qsizetype>(shown->Stride()), QImage::Format_BGR888);
        } catch (...) {
            // Out of memory for the display copy: nothing is shown until the
            // next change, and the document keeps its picture.
            mImage = QImage();
            mDisplayCopy = Bitmap();
        }
    }
    update();
}

void ImageControl::SetStretch(bool stretch) {
    if (stretch != mStretch) {
        mStretch = stretch;
        update();
    }
}

namespace {

// Calls dot(x, y) for every pixel of the outline of `rect` inside `clip`: the
// pixels whose x + y is even, so every other pixel along each side, the same
// phase at every corner, and each pixel once. The sides are walked only
// across `clip`, so the cost follows the exposed area, not the outline's size.
template <typename Dot>
void ForEachOutlineDot(const Rect& rect, const QRect& clip, Dot&& dot) {
    const Rect r = NormalizeRect(rect);
    if (r.Width() == 0 || r.Height() == 0 || clip.isEmpty()) {
        return;
    }
    const int right = r.right - 1;
    const int bottom = r.bottom - 1;
    // Pixels from `first` to `last` of a row (or column) at `at`, whose x + y is even.
    const auto run = [&](int at, int first, int last, bool alongRow) {
        first += (first + at) & 1;
        for (int i = first; i <= last; i += 2) {
            alongRow ? dot(i, at) : dot(at, i);
        }
    };
    const auto row = [&](int y) {
        if (y >= clip.top() && y <= clip.bottom()) {
            run(y, std::max(r.left, clip.left()), std::min(right, clip.right()), true);
        }
    };
    const auto column = [&](int x) {
        if (x >= clip.left() && x <= clip.right()) {
            run(x, std::max(r.top + 1, clip.top()), std::min(bottom - 1, clip.bottom()), false);
        }
    };
    row(r.top);
    if (bottom != r.top) {
        row(bottom);
    }
    column(r.left);
    if (right != r.left) {
        column(right);
    }
}

} // namespace

std::vector<QPoint> ImageControl::OutlineDots(const Rect& rect) {
    const Rect r = NormalizeRect(rect);
    return OutlineDots(rect, QRect(r.left, r.top, r.Width(), r.Height()));
}

std::vector<QPoint> ImageControl::OutlineDots(const Rect& rect, const QRect& clip) {
    std::vector<QPoint> dots;
    ForEachOutlineDot(rect, clip, [&](int x, int y) { dots.emplace_back(x, y); });
    return dots;
}

void ImageControl::ToggleOutline(const Rect& rect) {
    const Rect r = NormalizeRect(rect);
    if (r.Width() == 0 || r.Height() == 0) {
        return;
    }
    const auto found = std::find(mOutlines.begin(), mOutlines.end(), r);
    if (found != mOutlines.end()) {
        mOutlines.erase(found);
    } else {
        mOutlines.push_back(r);
    }
    update(QRect(r.left, r.top, r.Width(), r.Height()));
}

void ImageControl::ClearOutlines() {
    if (!mOutlines.empty()) {
        mOutlines.clear();
        update();
    }
}

void ImageControl::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect exposed = event->rect();
    const QRect pictureArea(QPoint(0, 0), mStretch ? size() : mImage.size());
    if (mImage.isNull() || !pictureArea.contains(exposed)) {
        painter.fillRect(exposed, palette().window());
    }
    if (!mImage.isNull()) {
        if (mStretch) {
            // Bilinear filtering of the exposed part only; QPainter clips the
            // scaled drawing to the paint region.
            painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
            painter.drawImage(rect(), mImage);
        } else {
            painter.drawImage(exposed.topLeft(), mImage, exposed);
        }
    }
    if (!mOutlines.empty()) {
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        for (const Rect& outline : mOutlines) {
            ForEachOutlineDot(outline, exposed, [&](int x, int y) {
                painter.fillRect(QRect(x, y, 1, 1), Qt::black);
            });
        }
    }
}

void ImageControl::mousePressEvent(QMouseEvent* event) {
    emit MousePressed(event->position().toPoint(), event->buttons(), event->modifiers());
}

void ImageControl::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMoved(event->position().toPoint(), event->buttons(), event->modifiers());
}

} // namespace pixmoth
