#pragma once

#include <string>

#include "imaging/bitmap/Bitmap.h"
#include "platform/Environment.h"

namespace pixmoth {

// Makes the picture the desktop's wallpaper from a copy in the program
// directory (MakeWallpaperCopy); once the desktop shows it, the older copies go,
// and when the desktop refuses it the new copy goes. Throws an Error naming the
// desktop and the command that failed.
void SetAsWallpaper(Environment& environment, const std::string& programDirectory,
                    const std::string& pictureFile, const Bitmap& picture);

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
