#pragma once

#include "app/WidgetTestSupport.h"
#include "capture/ScreenGrabber.h"

namespace pixmoth::test {

// A desktop of a known picture in place of the X server's.
class PictureGrabber : public ScreenGrabber {
public:
    explicit PictureGrabber(Bitmap picture, qreal ratio = 1.0)
        : mPicture(std::move(picture)), mRatio(ratio) {
        mPicture.SetPixelFormat(PixelFormat::Bit32);
        InstallScreenGrabber(this);
    }
    ~PictureGrabber() override { InstallScreenGrabber(nullptr); }
    PictureGrabber(const PictureGrabber&) = delete;
    PictureGrabber& operator=(const PictureGrabber&) = delete;

    ScreenGrab GrabDesktop() override {
        ++grabs;
        const QSize logical(qRound(mPicture.Width() / mRatio), qRound(mPicture.Height() / mRatio));
        return {mPicture, QRect(QPoint(0, 0), logical), mRatio};
    }
    int grabs = 0;

private:
    Bitmap mPicture;
    qreal mRatio;
};

} // namespace pixmoth::test
