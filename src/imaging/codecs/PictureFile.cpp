#include "imaging/codecs/PictureFile.h"

#include <algorithm>
#include <cctype>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/JpegCodec.h"

namespace pixmoth {

PictureKind PictureKindOf(const std::string& path) {
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return PictureKind::Other;
    }
    std::string extension = path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (extension == ".JPG" || extension == ".JPEG") {
        return PictureKind::Jpeg;
    }
    if (extension == ".BMP") {
        return PictureKind::Bmp;
    }
    return PictureKind::Other;
}

Bitmap LoadPicture(const std::string& path) {
    switch (PictureKindOf(path)) {
    case PictureKind::Jpeg:
        return LoadJpeg(path);
    case PictureKind::Bmp:
        return LoadBmp(path);
    case PictureKind::Other:
        break;
    }
    throw Error("Unsupported picture file \"" + path + "\": use .jpg, .jpeg or .bmp");
}

void SavePicture(const Bitmap& bitmap, const std::string& path) {
    if (PictureKindOf(path) == PictureKind::Jpeg) {
        SaveJpeg(bitmap, path);
    } else {
        SaveBmp(bitmap, path);
    }
}

} // namespace pixmoth
