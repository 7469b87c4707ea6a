#pragma once

#include <vector>

#include "imaging/bitmap/Bitmap.h"

namespace pixmoth {

// The one-click picture commands of a document's Tools menu, in menu order.
struct ToolCommand {
    const char* caption; // UTF-8
    const char* handler; // the menu item's object name
    // Exactly one of the two is set: an operation that changes its bitmap, or
    // one that writes a new picture from a source (and resizes the destination).
    void (*inPlace)(Bitmap& bitmap) = nullptr;
    void (*into)(Bitmap& source, Bitmap& destination) = nullptr;
};

const std::vector<ToolCommand>& ToolCommands();

} // namespace pixmoth
