#include "cli/Operations.h"
#include "imaging/ColourEffects.h"

namespace pixmoth::cli {

namespace {

Operation InPlace(const std::string& name, void (*effect)(Bitmap&)) {
    return {name, Operation::Value::None, [effect](Bitmap& input, double) {
                effect(input);
                return std::move(input);
            }};
}

Operation WithInteger(const std::string& name, void (*effect)(Bitmap&, int)) {
    return {name, Operation::Value::Integer, [effect](Bitmap& input, double value) {
                effect(input, static_cast<int>(value));
                return std::move(input);
            }};
}

Operation WithReal(const std::string& name, void (*effect)(Bitmap&, double)) {
    return {name, Operation::Value::Real, [effect](Bitmap& input, double value) {
                effect(input, value);
                return std::move(input);
            }};
}

// As the enhancement dialog calls them: the picture is the source and a copy
// of it the destination.
Operation SourceToCopy(const std::string& name, void (*effect)(Bitmap&, Bitmap&, int)) {
    return {name, Operation::Value::Integer, [effect](Bitmap& input, double value) {
                Bitmap destination = input;
                effect(input, destination, static_cast<int>(value));
                return destination;
            }};
}

} // namespace

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
