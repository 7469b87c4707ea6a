#include "imaging/codecs/PictureFile.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <vector>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/BmpHeader.h"
#include "imaging/codecs/InputFile.h"
#include "imaging/codecs/JpegCodec.h"
#include "imaging/codecs/PngCodec.h"

namespace pixmoth {

std::string UpperExtension(const std::string& path) {
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    std::string extension = path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return extension;
}

PictureKind PictureKindOf(const std::string& path) {
    const std::string extension = UpperExtension(path);
    if (extension == ".JPG" || extension == ".JPEG") {
        return PictureKind::Jpeg;
    }
    if (extension == ".BMP") {
        return PictureKind::Bmp;
    }
    if (extension == ".PNG") {
        return PictureKind::Png;
    }
    return PictureKind::Other;
}

Bitmap LoadPicture(const std::string& path) {
    switch (PictureKindOf(path)) {
    case PictureKind::Jpeg:
        return LoadJpeg(path);
    case PictureKind::Bmp:
        return LoadBmp(path);
    case PictureKind::Png:
        return LoadPng(path);
    case PictureKind::Other:
        break;
    }
    throw Error("Unsupported picture file \"" + path + "\": use .jpg, .jpeg, .bmp or .png");
}

std::optional<PictureSize> ReadPictureSize(const std::string& path) {
    // Headers and Exif blocks of ordinary files lie well within this.
    constexpr std::size_t kJpegHeadBytes = 256 * 1024;
    const PictureKind kind = PictureKindOf(path);
    if (kind == PictureKind::Other) {
        return std::nullopt;
    }
    try {
        InputFile file(path);
        const std::size_t wanted = kind == PictureKind::Bmp   ? kBmpHeadBytes
                                   : kind == PictureKind::Png ? kPngHeadBytes
                                                              : kJpegHeadBytes;
        std::vector<std::uint8_t> head(
            static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), wanted)));
        head.resize(file.ReadAt(0, head.data(), head.size()));
        if (kind == PictureKind::Bmp) {
            const BmpHeader header = ParseBmpHeader(head.data(), head.size(), file.Size(), path);
            return PictureSize{header.width, header.height};
        }
        if (kind == PictureKind::Png) {
            const PngSize size = ReadPngSize(head.data(), head.size());
            return PictureSize{size.width, size.height};
        }
        const JpegSize size = ReadJpegSize(head.data(), head.size());
        return PictureSize{size.width, size.height};
    } catch (const Error&) {
        return std::nullopt; // the load itself reports what is wrong
    }
}

void SavePicture(const Bitmap& bitmap, const std::string& path) {
    switch (PictureKindOf(path)) {
    case PictureKind::Jpeg:
        SaveJpeg(bitmap, path);
        break;
    case PictureKind::Png:
        SavePng(bitmap, path);
        break;
    case PictureKind::Bmp:
    case PictureKind::Other:
        SaveBmp(bitmap, path);
        break;
    }
}

void CheckPictureSize(int width, int height, const std::string& path) {
    try {
        switch (PictureKindOf(path)) {
        case PictureKind::Jpeg:
            CheckJpegSize(width, height);
            break;
        case PictureKind::Png:
            break; // PNG holds any size a bitmap can have
        case PictureKind::Bmp:
        case PictureKind::Other:
            CheckBmpSize(width, height, PixelFormat::Bit24);
            break;
        }
    } catch (const Error& error) {
        throw Error("Cannot write file \"" + path + "\": " + error.what());
    }
}

} // namespace pixmoth
