#include <string>

#include "cli/Commands.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/PictureFile.h"
#include "imaging/dialogs/ResampleSizes.h"
#include "imaging/resample/Resample.h"

namespace pixmoth::cli {

void ResampleCommand(const CommandLine& line, Stopwatch& stopwatch) {
    line.ExpectPositional(5, 5, "pixmoth-cli resample FILTER WIDTH HEIGHT INPUT OUTPUT");
    const auto& words = line.Positional();
    const FilterEntry* filter = FindFilter(words[0]);
    if (filter == nullptr) {
        std::string names;
        for (const FilterEntry& entry : FilterTable) {
            names += ' ';
            names += entry.name;
        }
        throw Error("Unknown filter \"" + words[0] + "\"; give an index 0..6 or a name:" + names);
    }
    const int width = ParseInt(words[1], "WIDTH");
    const int height = ParseInt(words[2], "HEIGHT");
    if (width < 1 || height < 1) {
        throw Error("WIDTH and HEIGHT must be at least 1, not " + words[1] + " x " + words[2]);
    }

    // Every limit the result must meet is checked before the picture is read.
    CheckOutputName(words[4]);
    CheckResampleTarget(TargetSize{width, height});
    CheckPictureSize(width, height, words[4]);
    Bitmap picture = LoadPicture(words[3]);
    // Sized before the timing starts, as the program's own callers do.
    Bitmap result(width, height);
    stopwatch.Start();
    ResampleBitmap(picture, result, filter->kernel, filter->support);
    stopwatch.Stop();
    SavePicture(result, words[4]);
}

} // namespace pixmoth::cli
