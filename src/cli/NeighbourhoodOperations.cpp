#include "cli/Operations.h"
#include "imaging/effects/BlurEffects.h"
#include "imaging/effects/EdgeEffects.h"
#include "imaging/effects/RippleEffects.h"
#include "imaging/effects/TileEffects.h"

namespace pixmoth::cli {

std::vector<Operation> NeighbourhoodOperations() {
    return {InPlace("Emboss", Emboss),
            InPlace("Shadow", Shadow),
            InPlace("AntiAlias", AntiAlias),
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
