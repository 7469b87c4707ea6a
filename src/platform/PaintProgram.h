#pragma once

#include <string>
#include <vector>

#include "platform/Environment.h"

namespace pixmoth {

// The desktop's paint programs, in the order they are preferred.
const std::vector<std::string>& PaintProgramNames();

// The call that opens `file` in the first paint program found on PATH; without a
// paint program, xdg-open opens the file with the desktop's choice. An empty
// `file` starts the paint program alone (program "" when there is none, as
// xdg-open needs a file).
ProgramCall PaintProgramCall(const Environment& environment, const std::string& file);

// The call that opens a file or page with the desktop's default program.
ProgramCall DesktopOpenCall(const std::string& file);

} // namespace pixmoth
