#pragma once

#include "chrome/SplitterGeometry.h"
#include "imaging/bitmap/Bitmap.h"

// The button in the middle of a restore splitter: where it sits on the bar and
// how its face is drawn (frame, two arrows, dotted texture), pixel by pixel.
namespace pixmoth {

enum class TButtonWidthType { btwPixels, btwPercentage };

// number * numerator / denominator in 64 bits, rounded half away from zero;
// -1 for a zero denominator.
int MulDiv(int number, int numerator, int denominator);

// The button in client coordinates (right and bottom one past the edge), or an
// empty rectangle when its length comes out 0. It is centred along the bar,
// inset one pixel across it (four with `beveled`) and kept one pixel inside
// the client area.
Rect LayoutButton(TAlign align, int clientWidth, int clientHeight, int buttonWidth,
                  TButtonWidthType type, bool beveled);

// The side the arrows point to: the docked side (a click collapses the
// neighbour), or the opposite one while the neighbour is collapsed.
TAlign ArrowDirection(TAlign align, bool maximized);

// Draws one arrow of `size` across inside `area`, pointing to `direction`, at
// the near end of the area for a positive `offset` and the far end otherwise;
// pixels outside the canvas are dropped. Returns the arrow's length.
int DrawArrow(Bitmap& canvas, const Rect& area, PaletteEntry colour, int size, int offset,
              TAlign direction);

struct ButtonColors {
    PaletteEntry fill;
    PaletteEntry arrow;
    PaletteEntry texture1;
    PaletteEntry texture2;
};

// The whole face of a button of width x height pixels.
Bitmap PaintButtonFace(int width, int height, TAlign align, bool maximized,
                       const ButtonColors& colors);

// The highlight derived from the system colours: 180/255 of the way from the
// active caption colour to the button face colour.
PaletteEntry AutoHighlightColor(PaletteEntry activeCaption, PaletteEntry buttonFace);

} // namespace pixmoth
