#include "cli/Commands.h"

namespace pixmoth::cli {

// Built without Qt (PIXMOTH_BUILD_GUI=OFF) nothing can draw a metafile's text.
void WithMetafileRenderer(const std::function<void(const WmfRenderer&)>& body) {
    body(nullptr);
}

} // namespace pixmoth::cli
