// Parses arbitrary text as a mount table: no line may crash the parser, every
// mount it keeps has an absolute mount point, and the table is read line by
// line, so the lines parsed one at a time give the same mounts.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "FuzzRequire.h"
#include "browse/MountInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<pixmoth::MountEntry> mounts = pixmoth::ParseMountInfo(text);
    std::size_t kept = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const auto line = pixmoth::ParseMountInfo(text.substr(start, end - start));
        Require(line.size() <= 1, "one line gives at most one mount");
        if (!line.empty()) {
            Require(kept < mounts.size() && mounts[kept].mountPoint == line[0].mountPoint &&
                        mounts[kept].fsType == line[0].fsType,
                    "lines parse alone as in the table");
            ++kept;
        }
        start = end + 1;
    }
    Require(kept == mounts.size(), "every mount comes from one line");
    for (const pixmoth::MountEntry& mount : mounts) {
        Require(!mount.mountPoint.empty() && mount.mountPoint.front() == '/',
                "mount points are absolute");
    }
    return 0;
}
