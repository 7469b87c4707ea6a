#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QIcon;
class QToolButton;
class QWidget;

namespace pixmoth {

// A flat button of the dialogs, with its glyph above an optional caption. It
// never takes the keyboard focus, so a spin box being typed in keeps it and
// its value reaches the button's handler as typed.
QToolButton* NewSpeedButton(QWidget* parent, const QString& name, const QRect& geometry,
                            const QString& caption, const QIcon& glyph);

// `font`, made smaller in half points (down to 6) until `text` is at most
// `width` pixels wide: the desktop's sans-serif runs wider than the classic
// dialog font the controls' sizes were made for.
QFont FontFitting(QFont font, const QString& text, int width);

} // namespace pixmoth
