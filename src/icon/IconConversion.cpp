#include "icon/IconConversion.h"

#include <algorithm>
#include <vector>

#include "imaging/resample/Resample.h"

namespace pixmoth {

namespace {

// The transparent colour as it comes out at the chosen depth: the colour the
// picture's pixels are compared with once they are reduced too.
PaletteEntry ReducedColour(PaletteEntry colour, PixelFormat format) {
    Bitmap pixel(1, 1, format);
    pixel.SetPixelColor(0, 0, colour);
    return pixel.PixelColor(0, 0);
}

int AtLeastOne(std::int64_t side) {
    return static_cast<int>(std::clamp<std::int64_t>(side, 1, 1 << 30));
}

} // namespace

PictureShape MeasurePicture(int width, int height) {
    PictureShape shape;
    shape.wide = height < width;
    shape.ratio = height > 0 ? std::int64_t{width} * 1000 / height : 0;
    return shape;
}

Rect FitToBox(const PictureShape& shape, bool keepAspect, int boxWidth, int boxHeight) {
    if (!keepAspect) {
        return Rect{0, 0, boxWidth, boxHeight};
    }
    if (shape.wide) {
        return Rect{0, 0, boxWidth, AtLeastOne(std::int64_t{boxWidth} * 1000 / shape.ratio)};
    }
    return Rect{0, 0, AtLeastOne(std::int64_t{boxHeight} * shape.ratio / 1000), boxHeight};
}

std::uint8_t DepthCodeOfChoice(int choice) {
    static constexpr std::uint8_t codes[] = {kIconDepth32, kIconDepth24, kIconDepth8, kIconDepth4,
                                             kIconDepth1};
    return choice >= 0 && choice < 5 ? codes[choice] : kIconDepth8;
}

Bitmap ScaleToBox(Bitmap& source, const FilterEntry& filter, bool keepAspect, int boxWidth,
                  int boxHeight) {
    const Rect box =
        FitToBox(MeasurePicture(source.Width(), source.Height()), keepAspect, boxWidth, boxHeight);
    Bitmap scaled(box.Width(), box.Height());
    ResampleBitmap(source, scaled, filter.kernel, filter.support);
    return scaled;
}

IconBitmaps BuildIcon(const Bitmap& scaled, const IconSettings& settings) {
    const int n = settings.size;
    const PixelFormat format = IconDepthFormat(settings.depth);
    Bitmap picture = scaled;
    picture.SetPixelFormat(format);
    const PaletteEntry key = ReducedColour(settings.transparent, format);
    const int width = std::min(n, picture.Width());
    const int height = std::min(n, picture.Height());

    // Rows are made as colours (black, or white for a transparent mask pixel)
    // and written through the bitmaps, which map them onto their palettes: the
    // picture's colours are palette colours already and map back exactly.
    IconBitmaps icon{Bitmap(n, n, format), Bitmap(n, n, PixelFormat::Bit1)};
    std::vector<std::uint8_t> colour(static_cast<std::size_t>(n) * 3);
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(n) * 3);
    for (int y = 0; y < n; ++y) {
        std::fill(colour.begin(), colour.end(), std::uint8_t{0});
        std::fill(mask.begin(), mask.end(), settings.useTransparent ? 255 : 0);
        if (y < height) {
            picture.ReadRowBgr(y, 0, width, colour.data());
        }
        for (int x = 0; x < (y < height ? width : 0); ++x) {
            std::uint8_t* p = &colour[3 * static_cast<std::size_t>(x)];
            if (settings.useTransparent && p[0] == key.blue && p[1] == key.green &&
                p[2] == key.red) {
                p[0] = p[1] = p[2] = 0; // black under a transparent mask pixel
            } else {
                std::fill_n(&mask[3 * static_cast<std::size_t>(x)], 3, std::uint8_t{0});
            }
        }
        icon.color.WriteRowBgr(y, 0, n, colour.data());
        icon.mask.WriteRowBgr(y, 0, n, mask.data());
    }
    return icon;
}

ConvertedIcon ConvertToIcon(Bitmap& source, const IconSettings& settings) {
    ConvertedIcon converted;
    converted.glyph =
        ScaleToBox(source, *settings.filter, settings.keepAspect, settings.size, settings.size);
    converted.glyph.SetPixelFormat(IconDepthFormat(settings.depth));
    converted.icon = BuildIcon(converted.glyph, settings);
    return converted;
}

} // namespace pixmoth
