#include <cstdint>
#include <optional>
#include <string>

#include "cli/Commands.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/JpegCodec.h"
#include "imaging/codecs/PictureFile.h"
#include "imaging/dialogs/ResampleSizes.h"
#include "imaging/resample/Resample.h"
#include "imaging/resample/RowResampler.h"

namespace pixmoth::cli {

namespace {

// Rows from the decoder straight into the resampler, which is timed alone.
class ResamplingReceiver : public RowReceiver {
public:
    ResamplingReceiver(Bitmap& result, const FilterEntry& filter, Stopwatch& stopwatch)
        : mResult(result), mFilter(filter), mStopwatch(stopwatch) {}
    void Begin(int width, int height) override {
        mResampler.emplace(width, height, mResult, mFilter.kernel, mFilter.support);
    }
    int Room() override { return mResampler->Room(); }
    std::uint8_t* Row(int k) override { return mResampler->Row(k); }
    void Commit(int rows) override {
        mStopwatch.Start();
        mResampler->Commit(rows);
        mStopwatch.Stop();
    }

private:
    Bitmap& mResult;
    const FilterEntry& mFilter;
    Stopwatch& mStopwatch;
    std::optional<RowResampler> mResampler;
};

} // namespace

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
    // Sized before the timing starts, as the program's own callers do.
    Bitmap result(width, height);
    // A JPEG goes through the resampler as it is decoded, so the full-size
    // picture is never held: a 12000 x 9000 photo would take 324 MB.
    if (PictureKindOf(words[3]) == PictureKind::Jpeg) {
        ResamplingReceiver receiver(result, *filter, stopwatch);
        if (LoadJpegRows(words[3], receiver)) {
            SavePicture(result, words[4]);
            return;
        }
    }
    Bitmap picture = LoadPicture(words[3]);
    stopwatch.Start();
    ResampleBitmap(picture, result, filter->kernel, filter->support);
    stopwatch.Stop();
    SavePicture(result, words[4]);
}

} // namespace pixmoth::cli
