#include "browse/thumbnails/ThumbnailSource.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "browse/thumbnails/ThumbnailDrawing.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/JpegCodec.h"
#include "imaging/codecs/PngCodec.h"
#include "imaging/codecs/wmf/WmfPlayer.h"

namespace pixmoth {

namespace {

std::string LowerExtension(const std::string& path) {
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    std::string extension = path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

Bitmap LoadWmfThumbSource(const std::string& path, const WmfRenderer& renderWmf) {
    const WmfFile file = WmfFile::Load(path);
    const WmfSize own = WmfPictureSize(file);
    if (own.width == 0 || own.height == 0) {
        return Bitmap();
    }
    if (!renderWmf) {
        throw Error("Metafiles are not drawn by this build: \"" + path + "\"");
    }
    // As for JPEG: the smallest size that keeps both sides at least the
    // square's, never larger than the picture's own.
    const double scale = std::min(1.0, std::max(double(kThumbPictureRect.Width()) / own.width,
                                                double(kThumbPictureRect.Height()) / own.height));
    return renderWmf(file, std::max(1, static_cast<int>(std::ceil(own.width * scale))),
                     std::max(1, static_cast<int>(std::ceil(own.height * scale))));
}

} // namespace

Bitmap LoadThumbSource(const std::string& path, const WmfRenderer& renderWmf) {
    const std::string extension = LowerExtension(path);
    if (extension == ".jpg" || extension == ".jpeg") {
        return LoadJpegAtLeast(path, kThumbPictureRect.Width(), kThumbPictureRect.Height());
    }
    if (extension == ".bmp") {
        return LoadBmp(path);
    }
    if (extension == ".png") {
        return LoadPng(path);
    }
    if (extension == ".wmf") {
        return LoadWmfThumbSource(path, renderWmf);
    }
    throw Error("No thumbnail for \"" + path + "\": use .jpg, .bmp, .png or .wmf");
}

Thumbnail MakeThumbnail(const std::string& path, const WmfRenderer& renderWmf) {
    try {
        return Thumbnail{DrawThumbnail(LoadThumbSource(path, renderWmf)), {}};
    } catch (const std::exception& error) {
        // Out of memory included: one bad file costs its thumbnail, not the list.
        return Thumbnail{BlankThumbnail(), error.what()};
    }
}

} // namespace pixmoth
