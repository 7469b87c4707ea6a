#pragma once

#include <cstdint>

#include "imaging/codecs/wmf/WmfCanvas.h"
#include "imaging/codecs/wmf/WmfFile.h"

// Plays a metafile's records onto a canvas: the device context of the
// drawing program that wrote it (window, objects, colours, clipping, saved
// states), its shapes reduced to points in output pixels.
namespace pixmoth {

// The largest picture a metafile is shown at: larger frames are scaled down,
// keeping their shape.
constexpr int kMaxWmfSide = 8192;
constexpr std::int64_t kMaxWmfPixels = std::int64_t{1} << 24;

struct WmfSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const WmfSize&, const WmfSize&) = default;
};

// The picture's own size in pixels at 96 pixels per inch: the placeable
// header's frame; else the window the metafile sets up before it draws; else
// the extent of everything it draws. 0 x 0 for a metafile that draws nothing.
WmfSize WmfPictureSize(const WmfFile& file);

// Draws the metafile's frame stretched onto (0, 0) .. (width, height). A
// damaged record is skipped; the drawing stops early once it has cost far
// more than a picture of this size can (a file of endless full-size fills),
// so playing always ends soon.
void PlayWmf(const WmfFile& file, WmfCanvas& canvas, int width, int height);

} // namespace pixmoth
