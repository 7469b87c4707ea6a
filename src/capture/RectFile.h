#pragma once

#include <string>

#include "imaging/bitmap/Bitmap.h"

// Rectangle files (".rec"): ini text with the section "Rectangle" and the
// integer keys Right, Left, Top and Bottom, through the settings routines (so
// the file is created when missing and other entries in it are kept).
namespace pixmoth {

// Writes the keys in the order Right, Left, Top, Bottom, so a new file lists
// them in that order.
void SaveRectFile(const std::string& path, const Rect& rect);

// A missing key, or one that is not a number, reads as 0.
Rect LoadRectFile(const std::string& path);

} // namespace pixmoth
