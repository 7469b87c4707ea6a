#include <string>

#include "cli/Commands.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/PictureFile.h"
#include "imaging/effects/EnhancementTable.h"

namespace pixmoth::cli {

// Runs one entry of the enhancement dialog's list the way its Preview does:
// the effect starts from an unchanged copy of the picture.
void EnhanceCommand(const CommandLine& line, Stopwatch& stopwatch) {
    line.ExpectPositional(4, 4, "pixmoth-cli enhance INDEX FACTOR INPUT OUTPUT [--seed N]");
    const auto& words = line.Positional();
    const int index = ParseInt(words[0], "INDEX");
    if (index < 0 || index >= kEnhancementCount) {
        std::string list;
        for (int i = 0; i < kEnhancementCount; ++i) {
            list += "\n  " + std::to_string(i) + "  " + EnhancementName(i);
        }
        throw Error("INDEX must lie between 0 and " + std::to_string(kEnhancementCount - 1) +
                    "; the entries are:" + list);
    }
    const int factor = ParseInt(words[1], "FACTOR");
    CheckOutputName(words[3]);
    SeedFromOption(line);

    Bitmap source = LoadPicture(words[2]);
    Bitmap work = source;
    stopwatch.Start();
    RunEnhancement(index, factor, source, work);
    stopwatch.Stop();
    SavePicture(work, words[3]);
}

} // namespace pixmoth::cli
