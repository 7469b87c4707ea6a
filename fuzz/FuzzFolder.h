#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <stdlib.h>

#include "FuzzRequire.h"

// A folder of the fuzzer's own for real files, on a memory file system when
// there is one (writes flush to disk), removed when the fuzzer ends.
namespace pixmoth::fuzz {

inline const std::string& Folder() {
    static const std::string folder = [] {
        std::string pattern = "/dev/shm/pixmoth-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            pattern = "/tmp/pixmoth-fuzz-XXXXXX";
            if (::mkdtemp(pattern.data()) == nullptr) {
                std::perror("mkdtemp");
                std::abort();
            }
        }
        return pattern;
    }();
    static const int removed = std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    });
    static_cast<void>(removed);
    return folder;
}

} // namespace pixmoth::fuzz
