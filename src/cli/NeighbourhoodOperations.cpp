#include "cli/Operations.h"
#include "imaging/BlurEffects.h"
#include "imaging/EdgeEffects.h"
#include "imaging/RippleEffects.h"
#include "imaging/TileEffects.h"

namespace pixmoth::cli {

namespace {

Operation Plain(const std::string& name, void (*op)(Bitmap&)) {
    return {name, Operation::Value::None, [op](Bitmap& input, double) {
                op(input);
                return std::move(input);
            }};
}

// The value reaches the effect as given, sign included.
Operation WithInteger(const std::string& name, void (*op)(Bitmap&, int)) {
    return {name, Operation::Value::Integer, [op](Bitmap& input, double value) {
                op(input, static_cast<int>(value));
                return std::move(input);
            }};
}

} // namespace

std::vector<Operation> NeighbourhoodOperations() {
    return {Plain("Emboss", Emboss),
            Plain("Shadow", Shadow),
            Plain("AntiAlias", AntiAlias),
            WithInteger("SplitBlur", SplitBlur),
            WithInteger("GaussianBlur", GaussianBlur),
            WithInteger("Mosaic", Mosaic),
            WithInteger("Trace", Trace),
            WithInteger("Seamless", Seamless),
            WithInteger("HorizClip", HorizClip),
            WithInteger("Triangles", Triangles),
            WithInteger("RippleTooth", RippleTooth),
            WithInteger("RippleTriangle", RippleTriangle),
            WithInteger("RippleRandom", RippleRandom),
            WithInteger("TexturizeTile", TexturizeTile),
            WithInteger("TexturizeOverlap", TexturizeOverlap),
            WithInteger("HeightMap", HeightMap)};
}

} // namespace pixmoth::cli
