#include <cstdint>
#include <string>

#include "cli/Commands.h"
#include "imaging/bitmap/Error.h"
#include "imaging/bitmap/Random.h"
#include "imaging/codecs/PictureFile.h"

namespace pixmoth::cli {

void SeedFromOption(const CommandLine& line) {
    if (const auto seed = line.Value("seed")) {
        const long long n = ParseInt64(*seed, "--seed");
        if (n < -2147483648LL || n > 4294967295LL) {
            throw Error("--seed must lie between -2147483648 and 4294967295");
        }
        SetRandSeed(static_cast<std::uint32_t>(n));
    }
}

void CheckOutputName(const std::string& path) {
    if (PictureKindOf(path) == PictureKind::Other) {
        throw Error("Cannot write \"" + path +
                    "\": the name must end in .jpg, .jpeg, .bmp or .png");
    }
}

} // namespace pixmoth::cli
