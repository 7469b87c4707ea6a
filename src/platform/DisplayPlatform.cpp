#include "platform/DisplayPlatform.h"

namespace pixmoth {

std::string ForcedQtPlatform(const Environment& environment) {
    const bool chosen = !environment.Variable("QT_QPA_PLATFORM").value_or("").empty();
    const bool x11 = !environment.Variable("DISPLAY").value_or("").empty();
    return !chosen && x11 ? "xcb" : "";
}

} // namespace pixmoth
