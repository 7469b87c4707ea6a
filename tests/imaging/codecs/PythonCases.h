#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/bitmap/Bitmap.h"
#include "imaging/codecs/FileIO.h"

// Test files made by the Python scripts beside the tests (with Pillow,
// ImageMagick and icoutils), and the pictures Pillow reads from them.
namespace pixmoth::test {

// Debian's own Python, which has python3-pil (scripts/deps.sh test).
inline const std::string kPython = "/usr/bin/python3";

inline std::string CaseScript(const std::string& name) {
    return std::string(PIXMOTH_SOURCE_DIR) + "/tests/imaging/codecs/" + name;
}

// Runs a shell command; returns what it printed, its exit status in `status`.
inline std::string RunCommand(const std::string& command, int& status) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return out;
    }
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    status = ::pclose(pipe);
    return out;
}

// Runs SCRIPT make DIR and returns the lines it printed: the cases it made.
inline std::vector<std::string> MakeCases(const std::string& script, const std::string& dir) {
    int status = 0;
    const std::string listed =
        RunCommand(kPython + " " + CaseScript(script) + " make " + dir + " 2>&1", status);
    EXPECT_EQ(status, 0) << script << " make failed (Pillow, ImageMagick and icoutils: "
                         << "scripts/deps.sh test): " << listed;
    std::vector<std::string> names;
    for (std::size_t at = 0, end; (end = listed.find('\n', at)) != std::string::npos;
         at = end + 1) {
        names.push_back(listed.substr(at, end - at));
    }
    return status == 0 ? names : std::vector<std::string>();
}

// "P6 W H 255" and RGB samples, as the scripts write what Pillow reads.
inline Bitmap ReadPpm(const std::string& path) {
    const std::vector<std::uint8_t> data = ReadFileBytes(path);
    int width = 0;
    int height = 0;
    int consumed = 0;
    std::sscanf(reinterpret_cast<const char*>(data.data()), "P6 %d %d 255%n", &width, &height,
                &consumed);
    Bitmap bitmap(width, height);
    const std::uint8_t* p = data.data() + consumed + 1;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x, p += 3) {
            row[3 * x] = p[2];
            row[3 * x + 1] = p[1];
            row[3 * x + 2] = p[0];
        }
    }
    return bitmap;
}

} // namespace pixmoth::test
