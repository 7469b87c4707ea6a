#include "browse/thumbnails/PictureListing.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "browse/thumbnails/FileNameOrder.h"

namespace pixmoth {

bool IsListedPictureName(const std::string& name) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || name.size() - dot != 4) {
        return false;
    }
    std::string extension = name.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == "jpg" || extension == "bmp" || extension == "png" || extension == "wmf";
}

std::vector<PictureEntry> CollectPictureFiles(const std::string& dir) {
    std::string prefix = dir;
    if (prefix.empty() || prefix.back() != '/') {
        prefix += '/';
    }
    std::vector<PictureEntry> entries;
    const std::unique_ptr<DIR, int (*)(DIR*)> stream(::opendir(prefix.c_str()), ::closedir);
    if (!stream) {
        return entries;
    }
    const int dirFd = ::dirfd(stream.get());
    while (const dirent* entry = ::readdir(stream.get())) {
        const std::string name = entry->d_name;
        if (!IsListedPictureName(name)) {
            continue;
        }
        // Links count as what they point to: a file is listed, a link to a
        // directory or to nothing is not.
        struct stat info {};
        if (::fstatat(dirFd, entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode)) {
            continue;
        }
        entries.push_back(PictureEntry{
            name, prefix + name, static_cast<std::uint64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec});
    }
    std::sort(entries.begin(), entries.end(), [](const PictureEntry& a, const PictureEntry& b) {
        return FileNameLess(a.name, b.name);
    });
    return entries;
}

} // namespace pixmoth
