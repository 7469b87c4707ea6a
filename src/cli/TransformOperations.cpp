#include "cli/Operations.h"
#include "imaging/effects/Transforms.h"

namespace pixmoth::cli {

std::vector<Operation> TransformOperations() {
    return {Turn("RotateRight", RotateRight, RotateRightFromRows),
            Turn("RotateLeft", RotateLeft, RotateLeftFromRows),
            InPlace("FlipRight", FlipRight),
            InPlace("FlipDown", FlipDown),
            InPlace("MirrorHorizontal", MirrorHorizontal),
            InPlace("MirrorVertical", MirrorVertical)};
}

} // namespace pixmoth::cli
