#include "imaging/dialogs/SpeedButton.h"

#include <QFontMetrics>
#include <QIcon>
#include <QToolButton>

namespace pixmoth {

QFont FontFitting(QFont font, const QString& text, int width) {
    while (font.pointSizeF() > 6.0 && QFontMetrics(font).horizontalAdvance(text) > width) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    return font;
}

QToolButton* NewSpeedButton(QWidget* parent, const QString& name, const QRect& geometry,
                            const QString& caption, const QIcon& glyph) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(glyph);
    button->setIconSize(QSize(24, 24));
    if (caption.isEmpty()) {
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    } else {
        button->setText(caption);
        constexpr int kFrame = 8;
        button->setFont(FontFitting(button->font(), caption, geometry.width() - kFrame));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    }
    return button;
}

} // namespace pixmoth
