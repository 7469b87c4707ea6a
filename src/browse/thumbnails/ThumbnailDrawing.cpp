#include "browse/thumbnails/ThumbnailDrawing.h"

namespace pixmoth {

namespace {

constexpr PaletteEntry kGrey{128, 128, 128, 0};
constexpr PaletteEntry kBlack{0, 0, 0, 0};
constexpr PaletteEntry kSilver{192, 192, 192, 0};

void FillRow(Bitmap& bitmap, int y, int x0, int x1, PaletteEntry color) {
    for (int x = x0; x < x1; ++x) {
        bitmap.SetPixelColor(x, y, color);
    }
}

void FillColumn(Bitmap& bitmap, int x, int y0, int y1, PaletteEntry color) {
    for (int y = y0; y < y1; ++y) {
        bitmap.SetPixelColor(x, y, color);
    }
}

Bitmap MakeBlank() {
    constexpr int s = kThumbSize;
    Bitmap thumb(s, s);
    for (int y = 0; y < s; ++y) {
        FillRow(thumb, y, 0, s, kGrey);
    }
    // The pen strokes as the system draws them. The black pen is 3 pixels
    // wide and centred on the lines (0, S) - (S, S) - (S, 0), one pixel past
    // the square, so only its inner row and column land on it. The silver
    // one-pixel lines then run (S, 0) - (0, 0) - (0, S), each without its
    // end point: the top row from x = S - 1 down to 1, the left column from
    // y = 0 to S - 1, so silver wins both corners it shares with black.
    FillRow(thumb, s - 1, 0, s, kBlack);
    FillColumn(thumb, s - 1, 0, s, kBlack);
    FillRow(thumb, 0, 1, s, kSilver);
    FillColumn(thumb, 0, 0, s, kSilver);
    return thumb;
}

} // namespace

Bitmap BlankThumbnail() {
    static const Bitmap blank = MakeBlank();
    return blank;
}

Bitmap DrawThumbnail(const Bitmap& picture) {
    Bitmap thumb = BlankThumbnail();
    thumb.StretchDraw(kThumbPictureRect, picture);
    return thumb;
}

} // namespace pixmoth
