#pragma once

#include <string>

#include "platform/Environment.h"

namespace pixmoth {

// Makes the picture file `file` (a full path) the desktop's wallpaper, the way
// the desktop named by XDG_CURRENT_DESKTOP keeps it:
//   GNOME and its relatives  gsettings: picture-uri, and picture-uri-dark where
//                            the desktop has that key (GNOME 42 and later)
//   Cinnamon                 gsettings: its own picture-uri
//   KDE Plasma               plasma-apply-wallpaperimage
//   Xfce                     xfconf-query: last-image of every monitor and workspace
//   MATE                     gsettings: picture-filename
//   any other                feh --bg-max
// The wallpaper style (centred, scaled...) stays as the desktop has it, except
// under feh. Throws an Error naming the desktop and the command that failed.
void SetDesktopWallpaper(Environment& environment, const std::string& file);

// "file://" and the path with every byte outside the unreserved characters and
// "/" percent-encoded.
std::string FileUri(const std::string& path);

} // namespace pixmoth
