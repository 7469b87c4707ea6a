#pragma once

#include <string>

#include "imaging/bitmap/Bitmap.h"

namespace pixmoth {

// The wallpaper is kept in the program directory, so it outlives the document
// and its file. A picture with a file is copied as it is stored (unsaved edits
// are not in it); a picture without one (pasted) is written as JPEG. Each copy
// gets a name not used by the one before ("Wallpaper-" + the first free number
// + the extension), since a desktop does not load a picture again under the
// name it already shows. Returns the copy's full path.
std::string MakeWallpaperCopy(const std::string& programDirectory, const std::string& pictureFile,
                              const Bitmap& picture);

// Removes the wallpaper copies in the program directory other than `kept`,
// once the desktop shows `kept`.
void RemoveOtherWallpaperCopies(const std::string& programDirectory, const std::string& kept);

} // namespace pixmoth
