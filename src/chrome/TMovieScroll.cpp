#include "chrome/TMovieScroll.h"

#include <cstdlib>
#include <string>

#include <QFontMetrics>
#include <QPainter>

#include "chrome/MovieTags.h"

namespace pixmoth {

namespace {

constexpr int kCompleteTextPoints = 20;

QColor FromColorValue(std::uint32_t value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

// Stores `value` when it differs from `member`; true when it did.
template <typename T>
bool Changed(T& member, const T& value) {
    if (member == value) {
        return false;
    }
    member = value;
    return true;
}

} // namespace

TMovieScroll::TMovieScroll(QWidget* parent)
    : QWidget(parent),
      mBackColor(Qt::black), mDefaultFont{Sized(DesktopMonospaceFont(), 9), Qt::white},
      mCompleteText(QStringLiteral("The End")), mShadowColor(128, 128, 128) {
    // Every pixel comes from the off-screen bitmap; Qt need not clear first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(200, 100);
    mScrollPosition = height() + 1;
    connect(&mTimer, &QTimer::timeout, this, &TMovieScroll::Timer1Timer);
    UpdateTimer();
}

void TMovieScroll::SetScrollText(const QStringList& text) {
    if (Changed(mScrollText, text)) {
        mLinesValid = false;
        update();
    }
}

void TMovieScroll::SetDefaultFont(const TextFont& font) {
    if (Changed(mDefaultFont, font)) {
        mLinesValid = false;
        update();
    }
}

void TMovieScroll::SetTimerInterval(int milliseconds) {
    if (Changed(mTimerInterval, milliseconds)) {
        UpdateTimer();
    }
}

void TMovieScroll::SetBackColor(const QColor& color) {
    if (Changed(mBackColor, color)) {
        update();
    }
}

void TMovieScroll::SetLoop(bool loop) {
    if (Changed(mLoop, loop)) {
        update();
    }
}

void TMovieScroll::SetCompleteText(const QString& text) {
    if (Changed(mCompleteText, text)) {
        update();
    }
}

void TMovieScroll::SetShadow(bool shadow) {
    if (Changed(mShadow, shadow)) {
        update();
    }
}

void TMovieScroll::SetShadowColor(const QColor& color) {
    if (Changed(mShadowColor, color)) {
        update();
    }
}

void TMovieScroll::SetShadowOffset(int offset) {
    if (Changed(mShadowOffset, offset)) {
        update();
    }
}

void TMovieScroll::SetCenterText(bool center) {
    if (Changed(mCenterText, center)) {
        update();
    }
}

void TMovieScroll::UpdateTimer() {
    // A zero interval would fire on every pass of the event loop and keep a
    // core busy; the timer holds instead.
    if (mEnabled && mTimerInterval > 0) {
        mTimer.start(mTimerInterval);
    } else {
        mTimer.stop();
    }
}

void TMovieScroll::Timer1Timer() {
    --mScrollPosition;
    update();
}

void TMovieScroll::Restart() {
    mScrollPosition = height() + 1;
}

void TMovieScroll::LayOutLines() {
    std::vector<std::string> source;
    source.reserve(static_cast<std::size_t>(mScrollText.size()));
    for (const QString& line : mScrollText) {
        source.push_back(line.toStdString());
    }
    mLines.clear();
    for (const MovieLine& parsed : ParseMovieText(source)) {
        Line line;
        line.text.setText(QString::fromStdString(parsed.text));
        line.text.setTextFormat(Qt::PlainText);
        line.font = mDefaultFont.font;
        line.color = mDefaultFont.color;
        const MovieLineStyle& style = parsed.style;
        if (style.pointSize > 0) {
            line.font.setPointSize(style.pointSize);
        }
        if (!style.fontName.empty()) {
            line.font.setFamily(QString::fromStdString(style.fontName));
        }
        if (style.bold) {
            line.font.setBold(true);
        }
        if (style.italic) {
            line.font.setItalic(true);
        }
        if (style.underline) {
            line.font.setUnderline(true);
        }
        if (style.color) {
            line.color = FromColorValue(*style.color);
        }
        // An empty line counts with the height of "W": the font's height.
        const QFontMetrics metrics(line.font, &mBitmap);
        line.height = metrics.height();
        line.width = metrics.horizontalAdvance(line.text.text());
        line.text.prepare(QTransform(), line.font);
        mLines.push_back(std::move(line));
    }
    mLinesValid = true;
}

void TMovieScroll::DrawFrame() {
    if (width() <= 0 || height() <= 0) {
        return;
    }
    // A new size (or screen) starts the text again from below.
    const qreal ratio = devicePixelRatioF();
    if (mBitmap.deviceIndependentSize() != QSizeF(size()) || mBitmap.devicePixelRatio() != ratio) {
        mBitmap = QPixmap(size() * ratio);
        mBitmap.setDevicePixelRatio(ratio);
        mLinesValid = false;
        Restart();
    }
    if (!mLinesValid) {
        LayOutLines();
    }
    const int w = width();
    const int h = height();
    QPainter painter(&mBitmap);
    painter.fillRect(rect(), mBackColor);

    // Lines wholly outside the control are only counted, not drawn: the
    // credits are mostly off-screen and this runs 25 times a second.
    const int reach = std::abs(mShadowOffset);
    int lineOffset = 0;
    for (const Line& line : mLines) {
        const int y = mScrollPosition + lineOffset;
        if (y + line.height + reach > 0 && y - reach < h && !line.text.text().isEmpty()) {
            const int x = mCenterText ? (w - line.width) / 2 : 1;
            painter.setFont(line.font);
            if (mShadow) {
                painter.setPen(mShadowColor);
                painter.drawStaticText(x + mShadowOffset, y + mShadowOffset, line.text);
            }
            painter.setPen(line.color);
            painter.drawStaticText(x, y, line.text);
        }
        lineOffset += line.height;
    }
    const int lastHeight = mLines.empty() ? 0 : mLines.back().height;
    if (lastHeight + mScrollPosition + lineOffset < 0) {
        if (mLoop) {
            Restart();
        } else {
            mEnabled = false;
            UpdateTimer();
            QFont font = mDefaultFont.font;
            font.setPointSize(kCompleteTextPoints);
            font.setBold(true);
            const QFontMetrics metrics(font, &mBitmap);
            painter.setFont(font);
            painter.setPen(mDefaultFont.color);
            painter.drawText((w - metrics.horizontalAdvance(mCompleteText)) / 2,
                             (h - metrics.height()) / 2 + metrics.ascent(), mCompleteText);
        }
    }
    painter.setPen(mShadowColor);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 1, w - 1, h - 2);
}

void TMovieScroll::paintEvent(QPaintEvent*) {
    DrawFrame();
    QPainter(this).drawPixmap(0, 0, mBitmap);
}

} // namespace pixmoth
