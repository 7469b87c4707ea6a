#pragma once

#include <functional>
#include <string>

#include "imaging/bitmap/Bitmap.h"
#include "imaging/codecs/wmf/WmfFile.h"

// The pictures thumbnails are made from, by file extension (any case): JPEG
// shrunk while decoding, BMP at full size, metafiles played at a small size.
namespace pixmoth {

// Plays a metafile into a picture of the given size. Drawing text needs the
// windowing toolkit, so the program hands its renderer in; without one,
// metafiles have blank thumbnails.
using WmfRenderer = std::function<Bitmap(const WmfFile& file, int width, int height)>;

// The picture of `path`, at least kThumbPictureRect's size on each side where
// the picture is that large, in the least work: a JPEG at the smallest of
// libjpeg's scalings that keeps both sides at least 91 pixels, a metafile at
// the same rule's size (its own size at most), a BMP or PNG whole. An empty bitmap for
// a metafile that draws nothing. Errors (unreadable or damaged files, other
// extensions) are thrown with the decoder's text.
Bitmap LoadThumbSource(const std::string& path, const WmfRenderer& renderWmf);

struct Thumbnail {
    Bitmap image;      // kThumbSize x kThumbSize
    std::string error; // why the picture could not be shown (the image is then blank)
};

// The framed thumbnail of `path`; never throws for a bad file.
Thumbnail MakeThumbnail(const std::string& path, const WmfRenderer& renderWmf);

} // namespace pixmoth
