#include "cli/Operations.h"
#include "imaging/Transforms.h"

namespace pixmoth::cli {

namespace {

Operation Turn(const std::string& name, void (*turn)(Bitmap&, Bitmap&)) {
    return {name, Operation::Value::None, [turn](Bitmap& input, double) {
                Bitmap output;
                turn(input, output);
                return output;
            }};
}

Operation InPlace(const std::string& name, void (*op)(Bitmap&)) {
    return {name, Operation::Value::None, [op](Bitmap& input, double) {
                op(input);
                return std::move(input);
            }};
}

} // namespace

std::vector<Operation> TransformOperations() {
    return {Turn("RotateRight", RotateRight),
            Turn("RotateLeft", RotateLeft),
            InPlace("FlipRight", FlipRight),
            InPlace("FlipDown", FlipDown),
            InPlace("MirrorHorizontal", MirrorHorizontal),
            InPlace("MirrorVertical", MirrorVertical)};
}

} // namespace pixmoth::cli
