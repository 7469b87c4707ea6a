#include "capture/TakeShot.h"

#include <cstring>

#include <sys/stat.h>

#include "capture/ShotNames.h"
#include "capture/ShotRect.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/JpegCodec.h"
#include "platform/Environment.h"
#include "platform/ProgramDirectory.h"

namespace pixmoth {

std::string ShotsDirectory() {
    const std::string directory = ProgramDirectory(CurrentEnvironment(), ExecutableDirectory());
    // The user's data folder may not be there yet when pixmoth-cli shoots
    // before the program ever ran.
    EnsureDirectory(directory);
    return directory + "Shots/";
}

Bitmap CutShotArea(const Bitmap& screen, const Rect& area) {
    if (screen.Format() != PixelFormat::Bit24 && screen.Format() != PixelFormat::Bit32) {
        throw Error("Screen pictures are 24 or 32 bits per pixel");
    }
    const int width = area.Width();
    const int height = area.Height();
    Bitmap shot;
    shot.Reset(width, height, PixelFormat::Bit24);
    const int bytes = screen.Format() == PixelFormat::Bit32 ? 4 : 3;
    const std::ptrdiff_t stride = screen.Stride();
    const std::uint8_t* source =
        screen.Bits() + stride * area.top + std::ptrdiff_t{area.left} * bytes;
    for (int y = 0; y < height; ++y, source += stride) {
        std::uint8_t* out = shot.ScanLine(y);
        if (bytes == 3) {
            std::memcpy(out, source, static_cast<std::size_t>(width) * 3);
        } else {
            const std::uint8_t* in = source;
            for (int x = 0; x < width; ++x, in += 4, out += 3) {
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
            }
        }
    }
    return shot;
}

std::string TakeShot(const Bitmap& screen, int series, const Rect& selection,
                     const std::string& shotsDir) {
    const Rect area = ShotArea(selection, screen.Width(), screen.Height());
    const Bitmap shot = CutShotArea(screen, area);
    // A folder that cannot be made is not reported here: the write names the file.
    ::mkdir(shotsDir.c_str(), 0777);
    const std::string path = FirstFreeShotPath(shotsDir, series);
    SaveJpeg(shot, path, 90);
    return path;
}

} // namespace pixmoth
