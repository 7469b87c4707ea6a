#pragma once

#include <string>

#include "imaging/bitmap/Bitmap.h"

// The shot routine shared by the capture overlay and pixmoth-cli: the screen has
// been grabbed elsewhere into a bitmap whose pixel (0, 0) is the screen's
// top-left pixel.
namespace pixmoth {

// The program directory's "Shots/" folder, where shots are written. Creates
// the program directory when it is missing (throws when it cannot).
std::string ShotsDirectory();

// A 24-bit copy of `area` (which lies on `screen`) of a 24- or 32-bit screen.
Bitmap CutShotArea(const Bitmap& screen, const Rect& area);

// Stores the inside of `selection` (see ShotArea) as a JPEG of quality 90 under
// the first free name "SShot" + series + "_" + k + ".jpg" in `shotsDir` (with
// its trailing '/'), creating that folder (one level) when it is missing.
// Returns the new file's full path. Throws an Error, having written nothing,
// when the selection has no inside or the file cannot be written.
std::string TakeShot(const Bitmap& screen, int series, const Rect& selection,
                     const std::string& shotsDir);

} // namespace pixmoth
