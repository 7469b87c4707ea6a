#pragma once

#include <string>

#include "platform/Environment.h"

namespace pixmoth {

// The Qt platform plugin the program is to be started with: "xcb" when an X
// display is there (DISPLAY set) and no plugin was chosen (QT_QPA_PLATFORM unset
// or empty); empty to leave the choice to Qt. Screen capture reads the X screen,
// and the capture panel places itself and stays on top, which a Wayland session
// allows only through XWayland.
std::string ForcedQtPlatform(const Environment& environment);

} // namespace pixmoth
