#include "capture/ShotNames.h"

#include <climits>

#include <sys/stat.h>

#include "imaging/bitmap/Error.h"

namespace pixmoth {

std::string ShotFileName(int series, int counter) {
    return "SShot" + std::to_string(series) + "_" + std::to_string(counter) + ".jpg";
}

std::string FirstFreeShotPath(const std::string& shotsDir, int series) {
    for (int counter = 0; counter < INT_MAX; ++counter) {
        const std::string path = shotsDir + ShotFileName(series, counter);
        struct stat info {};
        // lstat: a dangling link still takes its name.
        if (::lstat(path.c_str(), &info) != 0) {
            return path;
        }
    }
    throw Error("No free name is left for series " + std::to_string(series) + " in " + shotsDir);
}

} // namespace pixmoth
