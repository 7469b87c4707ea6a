#pragma once

#include <vector>

#include "imaging/resample/Resample.h"

// Cases shared by the resampling tests.
namespace pixmoth::test {

// Every instruction-set path this processor can run.
inline std::vector<ResamplePath> Paths() {
    std::vector<ResamplePath> paths;
    for (ResamplePath path : {ResamplePath::Plain, ResamplePath::Avx2, ResamplePath::Avx512}) {
        if (ResamplePathAvailable(path)) {
            paths.push_back(path);
        }
    }
    return paths;
}

struct SizeCase {
    const char* what;
    int sourceWidth;
    int sourceHeight;
    int width;
    int height;
};

// Sizes that meet the edges of the vector code: row tails, partial blocks of
// rows, work rows that wrap around their ring, single pixels.
inline const std::vector<SizeCase> kSizeCases = {
    {"upscale, odd sizes", 13, 7, 41, 29},
    {"downscale, odd sizes", 97, 61, 23, 17},
    {"narrower and taller", 50, 9, 17, 40},
    {"wider and lower", 9, 50, 40, 17},
    {"same size", 19, 23, 19, 23},
    {"tall source, work rows wrap their ring while shrinking", 11, 203, 9, 37},
    {"tall source, work rows wrap their ring while enlarging", 6, 150, 7, 411},
    {"source row bytes not a multiple of 16", 37, 5, 101, 3},
    {"wide source shrunk: the column block wraps its window", 400, 5, 77, 3},
    {"wide source enlarged: the column block wraps its window", 300, 3, 700, 2},
    {"exactly one vector group", 16, 16, 8, 32},
    {"extreme shrink", 300, 4, 2, 2},
    {"single pixel to a picture", 1, 1, 5, 3},
    {"single row to a single pixel", 5, 1, 1, 1},
    {"single column to a row", 1, 9, 3, 1},
    {"tiny source, wide kernel", 2, 3, 9, 1},
};

} // namespace pixmoth::test
