#include "document/WallpaperCopy.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/PictureFile.h"
#include "platform/DesktopWallpaper.h"
#include "platform/Paths.h"

namespace pixmoth {

namespace {

const std::string kPrefix = "Wallpaper-";

// "Wallpaper-" + digits + an extension of letters.
bool IsWallpaperCopyName(const std::string& name) {
    if (name.compare(0, kPrefix.size(), kPrefix) != 0) {
        return false;
    }
    const auto dot = name.find('.', kPrefix.size());
    if (dot == std::string::npos || dot == kPrefix.size() || dot + 1 == name.size()) {
        return false;
    }
    const auto isDigit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    const auto isAlpha = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(kPrefix.size()),
                       name.begin() + static_cast<std::ptrdiff_t>(dot), isDigit) &&
           std::all_of(name.begin() + static_cast<std::ptrdiff_t>(dot) + 1, name.end(), isAlpha);
}

std::string CopyExtension(const std::string& pictureFile) {
    switch (PictureKindOf(pictureFile)) {
    case PictureKind::Jpeg:
        return ".jpg";
    case PictureKind::Bmp:
        return ".bmp";
    case PictureKind::Png:
        return ".png";
    case PictureKind::Other:
        break;
    }
    const std::string name = FileNamePart(pictureFile);
    const auto dot = name.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return IsWallpaperCopyName(kPrefix + "1" + extension) ? extension : ".img";
}

} // namespace

void SetAsWallpaper(Environment& environment, const std::string& programDirectory,
                    const std::string& pictureFile, const Bitmap& picture) {
    const std::string copy = MakeWallpaperCopy(programDirectory, pictureFile, picture);
    try {
        SetDesktopWallpaper(environment, copy);
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(copy, ignored);
        throw;
    }
    RemoveOtherWallpaperCopies(programDirectory, copy);
}

std::string MakeWallpaperCopy(const std::string& programDirectory, const std::string& pictureFile,
                              const Bitmap& picture) {
    const std::string extension = pictureFile.empty() ? ".jpg" : CopyExtension(pictureFile);
    std::string copy;
    for (int number = 1;; ++number) {
        copy = programDirectory + kPrefix + std::to_string(number) + extension;
        std::error_code error;
        if (!std::filesystem::exists(copy, error)) {
            break;
        }
    }
    if (pictureFile.empty()) {
        SavePicture(picture, copy);
    } else {
        WriteFileAtomically(copy, ReadFileBytes(pictureFile));
    }
    return copy;
}

void RemoveOtherWallpaperCopies(const std::string& programDirectory, const std::string& kept) {
    std::error_code error;
    const std::string keptName = FileNamePart(kept);
    for (const auto& entry : std::filesystem::directory_iterator(programDirectory, error)) {
        const std::string name = entry.path().filename().string();
        if (name != keptName && IsWallpaperCopyName(name)) {
            std::filesystem::remove(entry.path(), error);
        }
    }
}

} // namespace pixmoth
