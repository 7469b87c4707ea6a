#include "cli/Commands.h"
#include "imaging/bitmap/Error.h"

namespace pixmoth::cli {

// Built without Qt (PIXMOTH_BUILD_GUI=OFF) there is no way to read the screen.
void ShotCommand(const CommandLine&, Stopwatch&) {
    throw Error("This pixmoth-cli was built without screen access (PIXMOTH_BUILD_GUI=OFF)");
}

} // namespace pixmoth::cli
