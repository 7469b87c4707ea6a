#pragma once

#include <vector>

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QStaticText>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include "chrome/TextFont.h"

namespace pixmoth {

// Credits that scroll upwards, one pixel per timer tick, drawn off-screen and
// copied onto the control. Each line may carry tags that change its font and
// colour (see MovieTags.h). When the last line has left the top, the text
// starts again from below with Loop, or else the scroller stops and shows
// CompleteText in the middle.
//
// The timer runs from construction; a TimerInterval of 0 or less holds it.
class TMovieScroll : public QWidget {
    Q_OBJECT

public:
    explicit TMovieScroll(QWidget* parent = nullptr);

    const QStringList& ScrollText() const { return mScrollText; }
    void SetScrollText(const QStringList& text);
    const QColor& BackColor() const { return mBackColor; }
    void SetBackColor(const QColor& color);
    const TextFont& DefaultFont() const { return mDefaultFont; }
    void SetDefaultFont(const TextFont& font);
    bool Loop() const { return mLoop; }
    void SetLoop(bool loop);
    const QString& CompleteText() const { return mCompleteText; }
    void SetCompleteText(const QString& text);
    int TimerInterval() const { return mTimerInterval; }
    void SetTimerInterval(int milliseconds);
    bool Shadow() const { return mShadow; }
    void SetShadow(bool shadow);
    const QColor& ShadowColor() const { return mShadowColor; }
    void SetShadowColor(const QColor& color);
    int ShadowOffset() const { return mShadowOffset; }
    void SetShadowOffset(int offset);
    bool CenterText() const { return mCenterText; }
    void SetCenterText(bool center);

    // The y of the first line's top; the control's height + 1 at the start.
    int ScrollPosition() const { return mScrollPosition; }
    // Whether the timer moves the text.
    bool Running() const { return mTimer.isActive(); }

    // One timer tick: the text moves up by a pixel.
    void Timer1Timer();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Line {
        QStaticText text; // laid out once, drawn 25 times a second
        QFont font;
        QColor color;
        int height = 0;
        int width = 0;
    };

    void LayOutLines();
    void DrawFrame();
    void Restart();
    void UpdateTimer();

    QStringList mScrollText;
    QColor mBackColor;
    TextFont mDefaultFont;
    bool mLoop = false;
    QString mCompleteText;
    int mTimerInterval = 40;
    bool mShadow = true;
    QColor mShadowColor;
    int mShadowOffset = 2;
    bool mCenterText = true;

    int mScrollPosition = 0;
    bool mEnabled = true; // false once the text has ended
    bool mLinesValid = false;
    std::vector<Line> mLines; // the parsed text with its metrics, kept between frames
    QPixmap mBitmap;
    QTimer mTimer;
};

} // namespace pixmoth
