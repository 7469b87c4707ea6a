#include "chrome/TAboutBoxDlg.h"

#include <string>
#include <vector>

#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>

#include "chrome/AboutLinks.h"
#include "chrome/FileVersion.h"
#include "chrome/MovieTags.h"
#include "chrome/TAboutBox.h"
#include "chrome/TMovieScroll.h"

namespace pixmoth {

namespace {

constexpr int kScrollerShadowOffset = 3;

// The credits as plain text: the tags are for the scroller.
QString CommentsText(const QStringList& lines) {
    std::vector<std::string> source;
    for (const QString& line : lines) {
        source.push_back(line.toStdString());
    }
    QStringList text;
    for (const MovieLine& line : ParseMovieText(source)) {
        text << QString::fromStdString(line.text);
    }
    return text.join(QLatin1Char('\n'));
}

} // namespace

TAboutBoxDlg::TAboutBoxDlg(QObject* owner)
    : QObject(owner),
      mProductName(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName()),
      mCopyright(QStringLiteral("%1 The Pixmoth developers").arg(QDate::currentDate().year())),
      mAFont{Sized(DesktopSansFont(), 8), Qt::black}, mFormFont{Sized(DesktopSansFont(), 8),
                                                                Qt::black} {
    mAboutText = {QStringLiteral("About %1").arg(mProductName), QStringLiteral("Credits"),
                  QStringLiteral("The Pixmoth developers"), QStringLiteral("Visit us at"),
                  QString::fromLatin1(kMakerSite)};
}

void TAboutBoxDlg::SetMovieSpeed(int milliseconds) {
    mMovieSpeed = milliseconds <= 0 || milliseconds >= 100 ? 50 : milliseconds;
}

bool TAboutBoxDlg::Execute() {
    auto* owner = qobject_cast<QWidget*>(parent());
    TAboutBox box(owner);
    box.SetUseBackBMP(mUseBackBMP);
    box.SetBackBMP(mBackBMP);
    box.SetBackCol(mBackCol);
    box.setFont(mFormFont.font);
    QPalette palette = box.palette();
    palette.setColor(QPalette::WindowText, mFormFont.color);
    palette.setColor(QPalette::Window, mFormColor);
    box.setPalette(palette);

    if (mUseMovie) {
        auto* scroller = new TMovieScroll(&box);
        scroller->setObjectName(QStringLiteral("MovieScroll"));
        scroller->SetScrollText(mAboutText);
        scroller->SetLoop(true);
        scroller->SetTimerInterval(mMovieSpeed);
        scroller->SetShadow(mAShadow);
        scroller->SetShadowOffset(kScrollerShadowOffset);
        scroller->SetDefaultFont(mAFont);
        scroller->SetBackColor(mBackCol);
        scroller->SetCenterText(mCenterMovieText);
        box.PlaceScroller(scroller);
    }

    box.SetProductName(mProductName);
    const FileVersion version = ProgramFileVersion();
    box.SetVersion(QStringLiteral("%1.%2").arg(version.major).arg(version.minor));
    box.SetCopyright(mCopyright);
    box.SetComments(CommentsText(mAboutText));
    box.SetProgramIcon(owner != nullptr ? owner->windowIcon() : QGuiApplication::windowIcon());
    box.setWindowTitle(QStringLiteral("About %1")
                           .arg(QFileInfo(QCoreApplication::applicationFilePath()).fileName()));
    return box.exec() == QDialog::Accepted;
}

} // namespace pixmoth
