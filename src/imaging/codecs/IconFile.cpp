#include "imaging/codecs/IconFile.h"

#include <cstring>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/DibRows.h"
#include "imaging/codecs/FileIO.h"

namespace pixmoth {

namespace {

// The ICO format stores sides up to 256 (as the byte 0).
constexpr int kMaxIconSide = 256;

std::uint8_t SideByte(int side) {
    return static_cast<std::uint8_t>(side & 0xFF);
}

// The fourth byte of each 32-bit pixel in `rows` (bottom-up) becomes its alpha
// from the mask's rows (bottom-up, one bit per pixel, 1 = transparent).
void ApplyMaskAlpha(std::vector<std::uint8_t>& rows, const std::vector<std::uint8_t>& maskRows,
                    int width, int height) {
    const std::size_t stride = DibStride(width, 32);
    const std::size_t maskStride = DibStride(width, 1);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = rows.data() + stride * static_cast<std::size_t>(y);
        const std::uint8_t* mask = maskRows.data() + maskStride * static_cast<std::size_t>(y);
        for (int x = 0; x < width; ++x) {
            const bool transparent = (mask[x >> 3] >> (7 - (x & 7))) & 1;
            row[4 * x + 3] = transparent ? 0 : 255;
        }
    }
}

std::string FailureText(int result, const std::string& fileName) {
    const std::string subject = "Cannot write file \"" + fileName + "\": ";
    switch (result) {
    case kIconNameTooShort:
        return subject + "the name is too short";
    case kIconNoBitmaps:
        return subject + "there is no icon to write";
    default:
        return subject + "the icon cannot be stored in an icon file";
    }
}

} // namespace

int IconDepthBits(std::uint8_t depth) {
    switch (depth) {
    case kIconDepth1:
        return 1;
    case kIconDepth4:
        return 4;
    case kIconDepth8:
        return 8;
    case kIconDepth32:
        return 32;
    default:
        return 24;
    }
}

PixelFormat IconDepthFormat(std::uint8_t depth) {
    switch (IconDepthBits(depth)) {
    case 1:
        return PixelFormat::Bit1;
    case 4:
        return PixelFormat::Bit4;
    case 8:
        return PixelFormat::Bit8;
    case 32:
        return PixelFormat::Bit32;
    default:
        return PixelFormat::Bit24;
    }
}

std::size_t DibStride(int width, int bits) {
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 31) / 32 * 4;
}

std::size_t BitmapToDIB(const Bitmap& bitmap, std::uint8_t depth,
                        std::vector<std::uint8_t>& headerBlock,
                        std::vector<std::uint8_t>& pixelRows) {
    headerBlock.clear();
    pixelRows.clear();
    if (bitmap.Empty()) {
        return 0;
    }
    const PixelFormat format = IconDepthFormat(depth);
    Bitmap converted = bitmap;
    converted.SetPixelFormat(format);
    const int bits = BitsPerPixel(format);
    const int width = converted.Width();
    const int height = converted.Height();
    const std::size_t colours = HasPalette(format) ? std::size_t{1} << bits : 0;
    const std::size_t stride = DibStride(width, bits);

    headerBlock.resize(kDibHeaderBytes + 4 * colours);
    std::uint8_t* p = headerBlock.data();
    PutLe32(p, kDibHeaderBytes);
    PutLe32(p, static_cast<std::uint32_t>(width));
    PutLe32(p, static_cast<std::uint32_t>(height)); // positive: bottom-up
    PutLe16(p, 1);                                  // planes
    PutLe16(p, static_cast<std::uint32_t>(bits));
    PutLe32(p, 0); // BI_RGB
    PutLe32(p, static_cast<std::uint32_t>(stride * static_cast<std::size_t>(height)));
    PutLe32(p, 0); // resolution
    PutLe32(p, 0);
    PutLe32(p, static_cast<std::uint32_t>(colours)); // used
    PutLe32(p, static_cast<std::uint32_t>(colours)); // important
    for (std::size_t i = 0; i < colours; ++i) {
        const PaletteEntry& e = converted.Palette()[i];
        *p++ = e.blue;
        *p++ = e.green;
        *p++ = e.red;
        *p++ = 0;
    }

    pixelRows.assign(stride * static_cast<std::size_t>(height), 0);
    const std::size_t used = UsedRowBytes(width, bits);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* out = pixelRows.data() + stride * static_cast<std::size_t>(height - 1 - y);
        std::memcpy(out, converted.ScanLine(y), used);
        CleanRowTail(out, width, bits, stride);
        if (bits == 32) {
            for (int x = 0; x < width; ++x) {
                out[4 * x + 3] = 0;
            }
        }
    }
    return headerBlock.size();
}

int EncodeIconFile(const IconBitmaps& icon, std::uint8_t depth, std::vector<std::uint8_t>& file) {
    file.clear();
    if (icon.mask.Empty()) {
        return kIconNoBitmaps;
    }
    const int width = icon.color.Width();
    const int height = icon.color.Height();
    if (width != icon.mask.Width() || height != icon.mask.Height() || width > kMaxIconSide ||
        height > kMaxIconSide) {
        return kIconNotConverted;
    }
    std::vector<std::uint8_t> header;
    std::vector<std::uint8_t> rows;
    std::vector<std::uint8_t> maskHeader;
    std::vector<std::uint8_t> maskRows;
    if (BitmapToDIB(icon.color, depth, header, rows) == 0 ||
        BitmapToDIB(icon.mask, kIconDepth1, maskHeader, maskRows) == 0) {
        return kIconNotConverted;
    }
    const int bits = IconDepthBits(depth);
    if (bits == 32) {
        ApplyMaskAlpha(rows, maskRows, width, height);
    }
    // The image holds colour rows and mask rows: its header says twice the height.
    std::uint8_t* heightField = header.data() + 8;
    PutLe32(heightField, static_cast<std::uint32_t>(2 * height));

    const std::size_t imageBytes = header.size() + rows.size() + maskRows.size();
    file.resize(kIconImageOffset);
    std::uint8_t* p = file.data();
    PutLe16(p, 0); // reserved
    PutLe16(p, 1); // icon, for cursor names as well: no hotspot is stored
    PutLe16(p, 1); // one image
    *p++ = SideByte(width);
    *p++ = SideByte(height);
    // Bits per pixel rather than a colour count: what readers take it for anyway.
    *p++ = static_cast<std::uint8_t>(bits);
    *p++ = 0;
    PutLe16(p, 0); // planes
    PutLe16(p, 0); // bit count
    PutLe32(p, static_cast<std::uint32_t>(imageBytes));
    PutLe32(p, static_cast<std::uint32_t>(kIconImageOffset));
    file.reserve(kIconImageOffset + imageBytes);
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), rows.begin(), rows.end());
    file.insert(file.end(), maskRows.begin(), maskRows.end());
    return kIconWritten;
}

int WriteIconFile(const std::string& fileName, const IconBitmaps& icon, std::uint8_t depth,
                  std::string* failure) {
    const auto report = [&](int result, const std::string& text) {
        if (failure != nullptr) {
            *failure = text;
        }
        return result;
    };
    if (fileName.size() < 4) {
        return report(kIconNameTooShort, FailureText(kIconNameTooShort, fileName));
    }
    std::vector<std::uint8_t> file;
    const int result = EncodeIconFile(icon, depth, file);
    if (result != kIconWritten) {
        return report(result, FailureText(result, fileName));
    }
    try {
        WriteFileAtomically(fileName, file);
    } catch (const FileWriteError& error) {
        const bool created = error.FailedStep() == FileWriteError::Step::Write;
        return report(created ? kIconNotWritten : kIconNotCreated, error.what());
    } catch (const Error& error) {
        return report(kIconNotCreated, error.what());
    }
    return report(kIconWritten, std::string());
}

void SaveGlyph(const Bitmap& picture, std::uint8_t depth, const std::string& fileName) {
    Bitmap glyph = picture;
    glyph.SetPixelFormat(IconDepthFormat(depth));
    SaveBmp(glyph, fileName);
}

} // namespace pixmoth
