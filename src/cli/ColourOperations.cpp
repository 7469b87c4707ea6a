#include "cli/Operations.h"
#include "imaging/effects/ColourEffects.h"

namespace pixmoth::cli {

std::vector<Operation> ColourOperations() {
    return {InPlace("GreyScale", GreyScale),
            InPlace("Invert", Invert),
            SourceToCopy("Solarize", Solarize),
            SourceToCopy("Posterize", Posterize),
            WithInteger("Darken", Darken),
            WithInteger("Lightness", Lightness),
            WithInteger("Contrast", Contrast),
            WithInteger("Saturation", Saturation),
            WithInteger("AddColorNoise", AddColorNoise),
            WithInteger("AddMonoNoise", AddMonoNoise),
            WithReal("KeepBlue", KeepBlue),
            WithReal("KeepGreen", KeepGreen),
            WithReal("KeepRed", KeepRed)};
}

} // namespace pixmoth::cli
