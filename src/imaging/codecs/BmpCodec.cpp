#include "imaging/codecs/BmpCodec.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/BmpHeader.h"
#include "imaging/codecs/BmpRle.h"
#include "imaging/codecs/DibRows.h"
#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/InputFile.h"

// Which bitmap a file becomes:
//   1, 4, 8 bits     the same depth with the file's colour table (short tables are
//                    filled with black, so indices beyond them show black)
//   2 bits           4 bits, same table (the bitmap has no 2-bit format)
//   16 bits          x1r5g5b5 masks -> 15 bits, r5g6b5 masks -> 16 bits, words kept
//                    as stored (an alpha bit stays in the unused bit)
//   32 bits          x8r8g8b8 masks -> 32 bits, bytes kept (alpha stays in the unused byte)
//   other masks      24 bits, each channel scaled to 0..255 with rounding
//   24 bits, RLE     24 bits
// Alpha is never applied: the program's bitmaps have none.
namespace pixmoth {

namespace {

constexpr int kFileHeaderBytes = 14;
constexpr int kInfoHeaderBytes = 40;
constexpr std::uint32_t kPixelsPerMetre = 3780; // 96 dpi

bool IsRle(const BmpHeader& header) {
    return header.compression == BmpCompression::Rle8 ||
           header.compression == BmpCompression::Rle4 ||
           header.compression == BmpCompression::Rle24;
}

bool Masks(const BmpHeader& header, std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return header.redMask == red && header.greenMask == green && header.blueMask == blue;
}

PixelFormat TargetFormat(const BmpHeader& header) {
    if (IsRle(header)) {
        return PixelFormat::Bit24;
    }
    switch (header.bitCount) {
    case 1:
        return PixelFormat::Bit1;
    case 2:
    case 4:
        return PixelFormat::Bit4;
    case 8:
        return PixelFormat::Bit8;
    case 16:
        if (Masks(header, 0x7C00, 0x03E0, 0x001F)) {
            return PixelFormat::Bit15;
        }
        if (Masks(header, 0xF800, 0x07E0, 0x001F)) {
            return PixelFormat::Bit16;
        }
        return PixelFormat::Bit24;
    case 32:
        return Masks(header, 0xFF0000, 0xFF00, 0xFF) ? PixelFormat::Bit32 : PixelFormat::Bit24;
    default:
        return PixelFormat::Bit24;
    }
}

// Stored rows that are already laid out as the bitmap's rows.
bool RowsCopyAsTheyAre(const BmpHeader& header, PixelFormat format) {
    return !IsRle(header) && header.bitCount != 2 &&
           (format != PixelFormat::Bit24 || header.bitCount == 24);
}

// A channel of a bit-field pixel scaled to 8 bits: round(v * 255 / max).
class Channel {
public:
    explicit Channel(std::uint32_t mask)
        : mMask(mask), mShift(mask ? std::countr_zero(mask) : 0), mMax(mask ? mask >> mShift : 0) {
        if (mMax != 0 && mMax <= 0xFFFF) {
            mTable.resize(mMax + 1);
            for (std::uint32_t v = 0; v <= mMax; ++v) {
                mTable[v] = Scale(v);
            }
        }
    }
    std::uint8_t operator()(std::uint32_t pixel) const {
        const std::uint32_t v = (pixel & mMask) >> mShift;
        return mTable.empty() ? Scale(v) : mTable[v];
    }

private:
    std::uint8_t Scale(std::uint32_t v) const {
        if (mMax == 0) {
            return 0;
        }
        const std::uint64_t max = mMax;
        return static_cast<std::uint8_t>((std::uint64_t{v} * 510 + max) / (2 * max));
    }

    std::uint32_t mMask;
    int mShift;
    std::uint32_t mMax;
    std::vector<std::uint8_t> mTable;
};

// Decodes one stored row (`available` bytes of it, never less than its pixels)
// into a bitmap row of the target format.
class RowDecoder {
public:
    RowDecoder(const BmpHeader& header, PixelFormat format)
        : mWidth(header.width), mBits(header.bitCount), mDirect(RowsCopyAsTheyAre(header, format)),
          mRed(header.redMask), mGreen(header.greenMask), mBlue(header.blueMask) {}

    void Decode(const std::uint8_t* in, std::size_t available, std::uint8_t* out,
                std::size_t stride) const {
        if (mDirect) {
            const std::size_t copied = std::min(available, stride);
            std::memcpy(out, in, copied);
            std::memset(out + copied, 0, stride - copied);
            CleanRowTail(out, mWidth, mBits, stride);
        } else if (mBits == 2) {
            std::memset(out, 0, stride);
            for (int x = 0; x < mWidth; ++x) {
                const unsigned index = (in[x >> 2] >> (6 - 2 * (x & 3))) & 3u;
                out[x >> 1] = static_cast<std::uint8_t>(out[x >> 1] | (index << ((x & 1) ? 0 : 4)));
            }
        } else if (mBits == 16) {
            for (int x = 0; x < mWidth; ++x, in += 2, out += 3) {
                const std::uint32_t pixel = in[0] | (in[1] << 8);
                out[0] = mBlue(pixel);
                out[1] = mGreen(pixel);
                out[2] = mRed(pixel);
            }
        } else {
            for (int x = 0; x < mWidth; ++x, in += 4, out += 3) {
                const std::uint32_t pixel = static_cast<std::uint32_t>(in[0]) |
                                            (static_cast<std::uint32_t>(in[1]) << 8) |
                                            (static_cast<std::uint32_t>(in[2]) << 16) |
                                            (static_cast<std::uint32_t>(in[3]) << 24);
                out[0] = mBlue(pixel);
                out[1] = mGreen(pixel);
                out[2] = mRed(pixel);
            }
        }
    }

private:
    int mWidth;
    int mBits;
    bool mDirect;
    Channel mRed;
    Channel mGreen;
    Channel mBlue;
};

// Bitmap row that stored row `i` (in file order) becomes.
int TargetRow(const BmpHeader& header, int i) {
    return header.topDown ? i : header.height - 1 - i;
}

Bitmap DecodeUncompressed(const BmpHeader& header, const std::uint8_t* pixels) {
    const PixelFormat format = TargetFormat(header);
    Bitmap bitmap;
    bitmap.Reset(header.width, header.height, format);
    bitmap.SetPalette(header.palette);
    const RowDecoder decoder(header, format);
    const std::size_t fileStride = header.FileRowBytes();
    const std::size_t stride = static_cast<std::size_t>(bitmap.Stride());
    for (int i = 0; i < header.height; ++i) {
        const std::size_t start = fileStride * static_cast<std::size_t>(i);
        // The header check guarantees the pixels; only the last row's padding may be missing.
        const std::size_t available = static_cast<std::size_t>(
            std::min<std::uint64_t>(fileStride, header.pixelBytes - start));
        decoder.Decode(pixels + start, available,
                       bitmap.Bits() + stride * static_cast<std::size_t>(TargetRow(header, i)),
                       stride);
    }
    return bitmap;
}

} // namespace

Bitmap DecodeBmp(const std::uint8_t* data, std::size_t size, const std::string& subject) {
    const BmpHeader header = ParseBmpHeader(data, size, size, subject);
    const std::uint8_t* pixels = data + header.pixelOffset;
    const auto pixelBytes = static_cast<std::size_t>(header.pixelBytes);
    if (IsRle(header)) {
        return DecodeBmpRle(header, pixels, pixelBytes, subject);
    }
    return DecodeUncompressed(header, pixels);
}

namespace {

std::string FileSubject(const std::string& path) {
    return "File \"" + path + "\"";
}

// Sizes and headers of the file a bitmap is written as.
struct BmpLayout {
    int bits = 0;
    bool fields = false; // 16 bits: r5g6b5 needs BI_BITFIELDS, x1r5g5b5 is BI_RGB's own
    std::size_t colours = 0;
    std::size_t offset = 0;
    std::size_t stride = 0;
    std::size_t usedBytes = 0;
    std::size_t imageBytes = 0;
    std::uint32_t fileBytes = 0;

    explicit BmpLayout(const Bitmap& bitmap) {
        if (bitmap.Empty()) {
            throw Error("Cannot write an empty picture (" + std::to_string(bitmap.Width()) + " x " +
                        std::to_string(bitmap.Height()) + " pixels) as a BMP file");
        }
        const PixelFormat format = bitmap.Format();
        bits = format == PixelFormat::Bit15 ? 16 : BitsPerPixel(format);
        fields = format == PixelFormat::Bit16;
        colours = HasPalette(format) ? bitmap.Palette().size() : 0;
        offset = kFileHeaderBytes + kInfoHeaderBytes + (fields ? 12 : 0) + colours * 4;
        stride = RowBytes(bitmap.Width(), format);
        usedBytes = UsedRowBytes(bitmap.Width(), bits);
        imageBytes = stride * static_cast<std::size_t>(bitmap.Height());
        CheckBmpSize(bitmap.Width(), bitmap.Height(), format);
        fileBytes = static_cast<std::uint32_t>(offset + imageBytes);
    }

    // File header, BITMAPINFOHEADER, masks and colour table.
    std::vector<std::uint8_t> Headers(const Bitmap& bitmap) const {
        std::vector<std::uint8_t> out(offset);
        std::uint8_t* p = out.data();
        *p++ = 'B';
        *p++ = 'M';
        PutLe32(p, fileBytes);
        PutLe32(p, 0); // reserved
        PutLe32(p, static_cast<std::uint32_t>(offset));
        PutLe32(p, kInfoHeaderBytes);
        PutLe32(p, static_cast<std::uint32_t>(bitmap.Width()));
        PutLe32(p, static_cast<std::uint32_t>(bitmap.Height())); // positive: bottom-up
        PutLe16(p, 1);                                           // planes
        PutLe16(p, static_cast<std::uint32_t>(bits));
        PutLe32(p, fields ? 3 : 0); // BI_BITFIELDS or BI_RGB
        PutLe32(p, static_cast<std::uint32_t>(imageBytes));
        PutLe32(p, kPixelsPerMetre);
        PutLe32(p, kPixelsPerMetre);
        PutLe32(p, static_cast<std::uint32_t>(colours));
        PutLe32(p, 0); // all colours important
        if (fields) {
            PutLe32(p, 0xF800);
            PutLe32(p, 0x07E0);
            PutLe32(p, 0x001F);
        }
        for (const PaletteEntry& e : bitmap.Palette()) {
            *p++ = e.blue;
            *p++ = e.green;
            *p++ = e.red;
            *p++ = 0;
        }
        return out;
    }
};

} // namespace

Bitmap DecodeBmp(const std::uint8_t* data, std::size_t size) {
    return DecodeBmp(data, size, "The data");
}

// Uncompressed files whose rows are the bitmap's rows are read straight into the
// bitmap, bottom-up files with the row order reversed by the scattered read:
// one copy from the page cache instead of three (whole-file buffer, its page
// faults, the row copy). Everything else goes through DecodeBmp.
Bitmap LoadBmp(const std::string& path) {
    const std::string subject = FileSubject(path);
    InputFile file(path);
    std::vector<std::uint8_t> head(
        static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), kBmpHeadBytes)));
    head.resize(file.ReadAt(0, head.data(), head.size()));
    const BmpHeader header = ParseBmpHeader(head.data(), head.size(), file.Size(), subject);
    const PixelFormat format = TargetFormat(header);
    if (!RowsCopyAsTheyAre(header, format)) {
        const std::vector<std::uint8_t> data = ReadFileBytes(path);
        return DecodeBmp(data.data(), data.size(), subject);
    }

    Bitmap bitmap;
    bitmap.Reset(header.width, header.height, format);
    bitmap.SetPalette(header.palette);
    const std::size_t stride = static_cast<std::size_t>(bitmap.Stride());
    std::vector<iovec> rows(static_cast<std::size_t>(header.height));
    for (int i = 0; i < header.height; ++i) {
        rows[static_cast<std::size_t>(i)] =
            iovec{bitmap.Bits() + stride * static_cast<std::size_t>(TargetRow(header, i)), stride};
    }
    const std::size_t total = stride * static_cast<std::size_t>(header.height);
    const std::size_t read = file.ReadAt(header.pixelOffset, rows);
    const std::size_t needed = total - stride + UsedRowBytes(header.width, header.bitCount);
    if (read < needed) {
        ThrowBmpError(subject, "is truncated"); // it shrank since we looked at its size
    }
    // Whatever was not read is padding of the last stored row, which the cleaning zeroes.
    const int bits = header.bitCount;
    for (int y = 0; y < header.height; ++y) {
        CleanRowTail(bitmap.Bits() + stride * static_cast<std::size_t>(y), header.width, bits,
                     stride);
    }
    return bitmap;
}

void CheckBmpSize(int width, int height, PixelFormat format) {
    const bool fields = format == PixelFormat::Bit16;
    const std::uint64_t colours = HasPalette(format) ? std::uint64_t{1} << BitsPerPixel(format) : 0;
    const std::uint64_t offset =
        kFileHeaderBytes + kInfoHeaderBytes + (fields ? 12 : 0) + colours * 4;
    const std::uint64_t imageBytes = std::uint64_t{RowBytes(std::max(width, 0), format)} *
                                     static_cast<std::uint64_t>(std::max(height, 0));
    if (imageBytes > std::numeric_limits<std::uint32_t>::max() - offset) {
        throw Error("The picture (" + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels) is too large for a BMP file");
    }
}

std::vector<std::uint8_t> EncodeBmp(const Bitmap& bitmap) {
    const BmpLayout layout(bitmap);
    std::vector<std::uint8_t> out = layout.Headers(bitmap);
    out.reserve(layout.fileBytes);
    const std::size_t stride = layout.stride;
    for (int y = bitmap.Height() - 1; y >= 0; --y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        out.insert(out.end(), row, row + layout.usedBytes);
        out.resize(out.size() + (stride - layout.usedBytes));
        CleanRowTail(out.data() + out.size() - stride, bitmap.Width(), layout.bits, stride);
    }
    return out;
}

// The rows go to the file straight from the bitmap, bottom row first: no
// file-sized buffer, whose page faults alone would cost more than the write.
void SaveBmp(const Bitmap& bitmap, const std::string& path) {
    static const std::uint8_t zeros[4] = {};
    const BmpLayout layout(bitmap);
    const std::vector<std::uint8_t> headers = layout.Headers(bitmap);
    const int height = bitmap.Height();
    // A partly used last byte goes through a cleaned copy (see EncodeBmp).
    const bool partByte = static_cast<std::size_t>(bitmap.Width()) * layout.bits % 8 != 0;
    std::vector<std::uint8_t> lastBytes(partByte ? static_cast<std::size_t>(height) : 0);
    std::vector<iovec> pieces;
    pieces.reserve(1 + 3 * static_cast<std::size_t>(height));
    pieces.push_back(iovec{const_cast<std::uint8_t*>(headers.data()), headers.size()});
    const std::size_t pad = layout.stride - layout.usedBytes;
    for (int y = height - 1; y >= 0; --y) {
        auto* row = const_cast<std::uint8_t*>(bitmap.ScanLine(y));
        if (partByte) {
            std::uint8_t& last = lastBytes[static_cast<std::size_t>(y)];
            last = row[layout.usedBytes - 1] & PixelBitsOfLastByte(bitmap.Width(), layout.bits);
            pieces.push_back(iovec{row, layout.usedBytes - 1});
            pieces.push_back(iovec{&last, 1});
        } else {
            pieces.push_back(iovec{row, layout.usedBytes});
        }
        if (pad > 0) {
            pieces.push_back(iovec{const_cast<std::uint8_t*>(zeros), pad});
        }
    }
    WriteFileAtomically(path, pieces);
}

} // namespace pixmoth
