#pragma once

#include <vector>

#include "settings/SaveBoundsPath.h"

namespace pixmoth {

// Stored bounds may come from a monitor that is gone. Bounds that overlap no
// screen are moved onto the nearest screen (`screens` holds their available
// areas), keeping their size when it fits and shrunk to the screen otherwise;
// bounds that overlap a screen, or an empty list of screens, are kept as they are.
Rect PlaceOnScreens(const Rect& bounds, const std::vector<Rect>& screens);

} // namespace pixmoth
