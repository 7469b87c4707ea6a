#include "platform/WmfPicture.h"

#include <QImage>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/wmf/WmfPlayer.h"
#include "platform/QtWmfCanvas.h"

namespace pixmoth {

Bitmap RenderWmf(const WmfFile& file, int width, int height) {
    // QPainter's own 32-bit format, then the program's 24 bits.
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QtWmfCanvas canvas(image);
        PlayWmf(file, canvas, width, height);
    }
    Bitmap bitmap;
    bitmap.Reset(width, height, PixelFormat::Bit24);
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* out = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x, out += 3) {
            out[0] = static_cast<std::uint8_t>(qBlue(in[x]));
            out[1] = static_cast<std::uint8_t>(qGreen(in[x]));
            out[2] = static_cast<std::uint8_t>(qRed(in[x]));
        }
    }
    return bitmap;
}

Bitmap LoadWmfPicture(const std::string& path) {
    const WmfFile file = WmfFile::Load(path);
    // A picture to edit must be whole; the thumbnail list shows what is there.
    if (!file.Damage().empty()) {
        throw Error("Metafile \"" + path + "\" " + file.Damage());
    }
    const WmfSize size = WmfPictureSize(file);
    if (size.width == 0 || size.height == 0) {
        return Bitmap();
    }
    return RenderWmf(file, size.width, size.height);
}

} // namespace pixmoth
