#pragma once

#include <string>
#include <vector>

#include "imaging/bitmap/Bitmap.h"
#include "platform/Environment.h"

// The rules of reading the desktop in a Wayland session, where the program's
// windows live on XWayland but the desktop itself can only be read through the
// desktop portal's screenshot interface.
namespace pixmoth {

// True when the program runs in a Wayland session: WAYLAND_DISPLAY is set and
// not empty, or XDG_SESSION_TYPE is "wayland".
bool IsWaylandSession(const Environment& environment);

// The object path of the portal request made by the connection `uniqueName`
// (":1.42") with `token`: /org/freedesktop/portal/desktop/request/1_42/TOKEN.
// Known before the call, so the answer cannot arrive before anyone listens.
std::string PortalRequestPath(const std::string& uniqueName, const std::string& token);

// The folders for temporary files: $TMPDIR (when set), /tmp and /var/tmp,
// without trailing '/'.
std::vector<std::string> TemporaryFolders(const Environment& environment);

// True when `path` (absolute, already resolved) lies in one of `folders` or
// below it: a screenshot the portal left there is ours to delete. A picture
// elsewhere (a desktop may save into the user's Pictures) is the user's.
bool InTemporaryFolder(const std::string& path, const std::vector<std::string>& folders);

// True when every pixel of a 24- or 32-bit bitmap is black (the unused byte of
// 32-bit pixels does not count). XWayland answers a read of the desktop it
// cannot see with black, so in a Wayland session black is no picture.
bool IsAllBlack(const Bitmap& picture);

} // namespace pixmoth
