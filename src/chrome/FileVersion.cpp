#include "chrome/FileVersion.h"

namespace pixmoth {

FileVersion ProgramFileVersion() {
#if defined(PIXMOTH_VERSION_MAJOR) && defined(PIXMOTH_VERSION_MINOR) &&                            \
    defined(PIXMOTH_VERSION_PATCH) && defined(PIXMOTH_VERSION_TWEAK)
    return {PIXMOTH_VERSION_MAJOR, PIXMOTH_VERSION_MINOR, PIXMOTH_VERSION_PATCH,
            PIXMOTH_VERSION_TWEAK};
#else
    return {};
#endif
}

} // namespace pixmoth
