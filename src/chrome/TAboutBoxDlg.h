#pragma once

#include <QColor>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include "chrome/TextFont.h"

class QWidget;

namespace pixmoth {

// The about box as a component of its owner window: holds the texts and looks
// of the box, and Execute shows it modally, centred on the owner. With UseMovie
// the credits (AboutText) scroll in a TMovieScroll; otherwise they stand as
// text that can be dragged.
class TAboutBoxDlg : public QObject {
    Q_OBJECT

public:
    // Defaults: the executable's name as ProductName, this year and the
    // project as Copyright, five lines of credits, the scroller at 40 ms per
    // step, white backgrounds, the sans-serif font at 8 points in black.
    explicit TAboutBoxDlg(QObject* owner = nullptr);

    // Shows the box; true when it was closed with its Close button.
    bool Execute();

    const QString& ProductName() const { return mProductName; }
    void SetProductName(const QString& name) { mProductName = name; }
    const QString& Version() const { return mVersion; }
    void SetVersion(const QString& version) { mVersion = version; }
    const QString& Copyright() const { return mCopyright; }
    void SetCopyright(const QString& copyright) { mCopyright = copyright; }
    const QStringList& AboutText() const { return mAboutText; }
    void SetAboutText(const QStringList& text) { mAboutText = text; }
    bool UseBackBMP() const { return mUseBackBMP; }
    void SetUseBackBMP(bool use) { mUseBackBMP = use; }
    bool UseMovie() const { return mUseMovie; }
    void SetUseMovie(bool use) { mUseMovie = use; }
    // Milliseconds per pixel of scrolling; 0 or less and 100 or more are taken
    // as 50, so the credits neither race nor crawl.
    int MovieSpeed() const { return mMovieSpeed; }
    void SetMovieSpeed(int milliseconds);
    const QColor& BackCol() const { return mBackCol; }
    void SetBackCol(const QColor& color) { mBackCol = color; }
    const TextFont& AFont() const { return mAFont; }
    void SetAFont(const TextFont& font) { mAFont = font; }
    bool AShadow() const { return mAShadow; }
    void SetAShadow(bool shadow) { mAShadow = shadow; }
    const QPixmap& BackBMP() const { return mBackBMP; }
    void SetBackBMP(const QPixmap& picture) { mBackBMP = picture; }
    const TextFont& FormFont() const { return mFormFont; }
    void SetFormFont(const TextFont& font) { mFormFont = font; }
    const QColor& FormColor() const { return mFormColor; }
    void SetFormColor(const QColor& color) { mFormColor = color; }
    bool CenterMovieText() const { return mCenterMovieText; }
    void SetCenterMovieText(bool center) { mCenterMovieText = center; }

private:
    QString mProductName;
    QString mVersion;
    QString mCopyright;
    QStringList mAboutText;
    bool mUseBackBMP = false;
    bool mUseMovie = true;
    int mMovieSpeed = 40;
    QColor mBackCol = Qt::white;
    TextFont mAFont;
    bool mAShadow = true;
    QPixmap mBackBMP;
    TextFont mFormFont;
    QColor mFormColor = Qt::white;
    bool mCenterMovieText = true;
};

} // namespace pixmoth
