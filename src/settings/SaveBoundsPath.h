#pragma once

#include <optional>
#include <string>

#include "imaging/bitmap/Bitmap.h"

// The file side of TSaveBounds: which settings file a window's bounds live in,
// and reading and writing them. The widget side only moves the rectangle in and
// out of the window. Bounds are a Rect of the window's outer edges: right and
// bottom are left + width and top + height.
namespace pixmoth {

// The settings path of the component: with `useStdIni`, the executable's path
// with its extension replaced by ".ini"; otherwise the program directory (with
// its trailing "/") + `iniFile` with its extension replaced or added as ".ini".
// Empty when `iniFile` is empty and `useStdIni` is false: there is no file then.
std::string SaveBoundsSettingsPath(const std::string& executablePath, const std::string& programDir,
                                   const std::string& iniFile, bool useStdIni);

// A path that is not absolute is taken relative to the user's home directory.
// An empty path stays empty (no file).
std::string ResolveBoundsPath(const std::string& path, const std::string& homeDir);

// "Left", "Top", "Right" and "Bottom" of section "Bounds" (defaults 10, 10, 600,
// 500); none when the path is empty or names no existing file, in which case the
// window keeps the bounds it has.
std::optional<Rect> ReadSavedBounds(const std::string& path, const std::string& homeDir);

// Writes the four edges in the order Left, Top, Right, Bottom, creating the file
// when needed; an empty path writes nothing.
void WriteSavedBounds(const std::string& path, const std::string& homeDir, const Rect& bounds);

} // namespace pixmoth
