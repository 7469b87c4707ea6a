#pragma once

#include <QColor>
#include <QFont>

namespace pixmoth {

// A font with the colour its text is drawn in, as the about box's font
// properties hold them.
struct TextFont {
    QFont font;
    QColor color;

    friend bool operator==(const TextFont&, const TextFont&) = default;
};

// The desktop's sans-serif and monospace families, standing in for the fonts
// the about box was drawn with ("Arial" and "Courier New").
QFont DesktopSansFont();
QFont DesktopMonospaceFont();

// `font` at `size` points; a negative `size` is a height in pixels, as font
// heights are written in form layouts (-12: 12 pixels).
QFont Sized(QFont font, int size);

} // namespace pixmoth
