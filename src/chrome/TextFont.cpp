#include "chrome/TextFont.h"

#include <QFontDatabase>

namespace pixmoth {

QFont DesktopSansFont() {
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont);
}

QFont DesktopMonospaceFont() {
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

QFont Sized(QFont font, int size) {
    if (size < 0) {
        font.setPixelSize(-size);
    } else {
        font.setPointSize(size);
    }
    return font;
}

} // namespace pixmoth
