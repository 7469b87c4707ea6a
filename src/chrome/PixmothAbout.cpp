#include "chrome/PixmothAbout.h"

#include <QFile>

#include "chrome/FileVersion.h"
#include "chrome/TAboutBoxDlg.h"

namespace pixmoth {

namespace {

const QColor kNavy(0, 0, 128);

QStringList Credits() {
    QFile file(QStringLiteral(":/about/Credits.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
}

} // namespace

void SetUpPixmothAbout(TAboutBoxDlg& about) {
    const FileVersion version = ProgramFileVersion();
    about.SetProductName(QStringLiteral("Pixmoth"));
    about.SetVersion(QStringLiteral("%1.%2").arg(version.major).arg(version.minor));
    about.SetCopyright(QStringLiteral("2026 The Pixmoth developers"));
    QStringList credits = Credits();
    if (!credits.isEmpty() && credits.last().isEmpty()) {
        credits.removeLast(); // the file's last line break
    }
    about.SetAboutText(credits);
    about.SetUseBackBMP(false);
    about.SetUseMovie(true);
    about.SetMovieSpeed(44);
    about.SetBackCol(kNavy);
    about.SetAFont({Sized(DesktopMonospaceFont(), -12), Qt::white});
    about.SetAShadow(true);
    about.SetFormFont({Sized(DesktopSansFont(), -12), kNavy});
    about.SetFormColor(Qt::white);
    about.SetCenterMovieText(true);
}

} // namespace pixmoth
