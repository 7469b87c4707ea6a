#pragma once

namespace pixmoth {

// The program's own version, as the build gives it (the project's version in
// CMake): major.minor, then the release and build numbers. All zero when the
// build does not say.
struct FileVersion {
    int major = 0;
    int minor = 0;
    int release = 0;
    int build = 0;
};

FileVersion ProgramFileVersion();

} // namespace pixmoth
