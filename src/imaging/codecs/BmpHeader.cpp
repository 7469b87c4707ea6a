#include "imaging/codecs/BmpHeader.h"

#include <algorithm>
#include <bit>
#include <cstdio>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/LittleEndian.h"

namespace pixmoth {

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr int kCoreHeader = 12;   // OS/2 1.x and Windows core header: 16-bit sizes
constexpr int kInfoHeader = 40;   // Windows BITMAPINFOHEADER
constexpr int kOs2MinHeader = 16; // OS/2 2.x headers may stop after any field
constexpr int kOs2MaxHeader = 64;
constexpr int kV2Header = 52;  // info header + RGB masks
constexpr int kV3Header = 56;  // + alpha mask
constexpr int kV4Header = 108; // + colour space
constexpr int kV5Header = 124; // + profile

// An RLE picture can claim more pixels than its codes set (end-of-line,
// end-of-bitmap and delta leave pixels unset), but one two-byte code sets at
// most 255 pixels. Claims beyond 128 pixels per byte of data are mostly empty
// area; they are allowed up to this many pixels (48 MB at 24 bits) and refused
// beyond, so a tiny file cannot make us allocate gigabytes.
constexpr std::uint64_t kRleFreePixels = std::uint64_t{1} << 24;
constexpr std::uint64_t kRlePixelsPerByte = 128;

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

bool IsWindowsHeader(std::uint32_t size) {
    return size == kInfoHeader || size == kV2Header || size == kV3Header || size == kV4Header ||
           size == kV5Header;
}

bool IsOs2Header(std::uint32_t size) {
    return size >= kOs2MinHeader && size <= kOs2MaxHeader && size % 2 == 0 &&
           !IsWindowsHeader(size);
}

// The compression field's meaning depends on the header family: OS/2 2.x used 3
// and 4 for Huffman 1D and RLE24 where Windows later put bit fields and JPEG.
BmpCompression Compression(std::uint32_t code, bool os2, int bitCount, const std::string& subject) {
    const auto unsupported = [&](const char* name) {
        ThrowBmpError(subject, "uses unsupported compression " + std::to_string(code) + name);
    };
    const auto needBits = [&](int bits, const char* name) {
        if (bitCount != bits) {
            ThrowBmpError(subject, std::string("uses ") + name + " compression with " +
                                       std::to_string(bitCount) + " bits per pixel");
        }
    };
    switch (code) {
    case 0:
        return BmpCompression::None;
    case 1:
        needBits(8, "RLE8");
        return BmpCompression::Rle8;
    case 2:
        needBits(4, "RLE4");
        return BmpCompression::Rle4;
    case 3:
        if (os2) {
            unsupported(" (Huffman 1D)");
        }
        break;
    case 4:
        if (os2) {
            needBits(24, "RLE24");
            return BmpCompression::Rle24;
        }
        unsupported(" (embedded JPEG)");
        break;
    case 5:
        unsupported(" (embedded PNG)");
        break;
    case 6: // BI_ALPHABITFIELDS
        if (os2) {
            unsupported("");
        }
        break;
    default:
        unsupported("");
    }
    if (bitCount != 16 && bitCount != 32) {
        ThrowBmpError(subject,
                      "uses bit fields with " + std::to_string(bitCount) + " bits per pixel");
    }
    return BmpCompression::BitFields;
}

// A channel mask must be one run of set bits inside the pixel; an empty mask
// gives a channel that is always 0.
void CheckMask(std::uint32_t mask, int bitCount, const std::string& subject) {
    const bool inside = bitCount == 32 || (mask >> bitCount) == 0;
    const bool contiguous =
        mask == 0 || std::has_single_bit((mask >> std::countr_zero(mask)) + 1ull);
    if (!inside || !contiguous) {
        ThrowBmpError(subject, "has an invalid bit field mask " + Hex(mask) + " for " +
                                   std::to_string(bitCount) + "-bit pixels");
    }
}

} // namespace

void ThrowBmpError(const std::string& subject, const std::string& what) {
    throw Error(subject + " " + what);
}

std::size_t BmpHeader::FileRowBytes() const {
    return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bitCount) + 31) / 32) * 4;
}

BmpHeader ParseBmpHeader(const std::uint8_t* head, std::size_t headSize, std::uint64_t fileSize,
                         const std::string& subject) {
    const auto need = [&](std::size_t bytes) {
        if (headSize < bytes) {
            ThrowBmpError(subject, "is truncated");
        }
    };
    if (headSize < 2 || head[0] != 'B' || head[1] != 'M') {
        ThrowBmpError(subject, "is not a BMP file");
    }
    // The file header's size field is often wrong and is not needed: the real size is known.
    need(kFileHeaderBytes + 4);
    const std::uint32_t dataOffset = Le32(head + 10);
    const std::uint32_t headerSize = Le32(head + 14);
    const bool core = headerSize == kCoreHeader;
    const bool os2 = IsOs2Header(headerSize);
    if (!core && !os2 && !IsWindowsHeader(headerSize)) {
        ThrowBmpError(subject,
                      "has an unknown header size of " + std::to_string(headerSize) + " bytes");
    }
    need(kFileHeaderBytes + headerSize);
    const std::uint8_t* info = head + kFileHeaderBytes;

    BmpHeader header;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    if (core) {
        width = Le16(info + 4);
        height = Le16(info + 6);
        header.bitCount = Le16(info + 10);
    } else {
        width = static_cast<std::int32_t>(Le32(info + 4));
        height = static_cast<std::int32_t>(Le32(info + 8));
        header.bitCount = Le16(info + 14);
        // Shorter OS/2 2.x headers leave out the later fields, which then read as 0.
        compression = headerSize >= 20 ? Le32(info + 16) : 0;
        colorsUsed = headerSize >= 36 ? Le32(info + 32) : 0;
    }
    // The plane count (always 1) is not checked: a wrong one changes nothing we read.

    header.topDown = height < 0;
    height = height < 0 ? -height : height;
    if (width <= 0 || height == 0 ||
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxBmpPixels) {
        ThrowBmpError(subject, "claims a picture of " + std::to_string(width) + " x " +
                                   std::to_string(header.topDown ? -height : height) + " pixels");
    }
    header.width = static_cast<int>(width);
    header.height = static_cast<int>(height);

    // Compression first: embedded JPEG and PNG files carry a bit count of 0.
    const int bits = header.bitCount;
    header.compression = Compression(compression, os2, bits, subject);
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 &&
        bits != 32) {
        ThrowBmpError(subject, "has an unsupported bit count of " + std::to_string(bits));
    }
    const bool rle = header.compression == BmpCompression::Rle8 ||
                     header.compression == BmpCompression::Rle4 ||
                     header.compression == BmpCompression::Rle24;
    if (rle && header.topDown) {
        ThrowBmpError(subject, "uses RLE compression with top-down rows, which BMP does not allow");
    }

    std::size_t tableStart = kFileHeaderBytes + headerSize;
    if (header.compression == BmpCompression::BitFields) {
        const std::uint8_t* masks = info + kInfoHeader;
        if (headerSize == kInfoHeader) {
            // The masks follow the 40-byte header; BI_ALPHABITFIELDS adds the alpha mask.
            tableStart += compression == 6 ? 16 : 12;
            need(tableStart);
        }
        header.redMask = Le32(masks);
        header.greenMask = Le32(masks + 4);
        header.blueMask = Le32(masks + 8);
        for (std::uint32_t mask : {header.redMask, header.greenMask, header.blueMask}) {
            CheckMask(mask, bits, subject);
        }
        if ((header.redMask | header.greenMask | header.blueMask) == 0) {
            ThrowBmpError(subject, "has bit fields without any colour bits");
        }
    } else if (bits == 16) {
        header.redMask = 0x7C00;
        header.greenMask = 0x03E0;
        header.blueMask = 0x001F;
    } else if (bits == 32) {
        header.redMask = 0x00FF0000;
        header.greenMask = 0x0000FF00;
        header.blueMask = 0x000000FF;
    }

    if (dataOffset < tableStart) {
        ThrowBmpError(subject, "has its pixel data at offset " + std::to_string(dataOffset) +
                                   ", inside its headers");
    }
    if (dataOffset > fileSize) {
        ThrowBmpError(subject, "has its pixel data at offset " + std::to_string(dataOffset) +
                                   ", beyond its end (" + std::to_string(fileSize) + " bytes)");
    }
    header.pixelOffset = dataOffset;
    header.pixelBytes = fileSize - dataOffset;

    if (bits <= 8) {
        // The table ends where the pixels start: a count that runs into them (or a
        // zero count meaning "all", with a short table) is cut to what is there.
        const std::size_t entrySize = core ? 3 : 4;
        std::size_t entries = std::size_t{1} << bits;
        if (colorsUsed != 0 && colorsUsed < entries) {
            entries = colorsUsed;
        }
        entries = std::min<std::size_t>(entries, (dataOffset - tableStart) / entrySize);
        if (entries == 0) {
            ThrowBmpError(subject, "has no colour table");
        }
        need(tableStart + entries * entrySize);
        header.palette.resize(entries);
        for (std::size_t i = 0; i < entries; ++i) {
            const std::uint8_t* e = head + tableStart + i * entrySize;
            header.palette[i] = PaletteEntry{e[0], e[1], e[2], 0};
        }
    }

    const std::uint64_t pixels =
        static_cast<std::uint64_t>(header.width) * static_cast<std::uint64_t>(header.height);
    if (rle) {
        if (pixels > std::max(kRleFreePixels, kRlePixelsPerByte * header.pixelBytes)) {
            ThrowBmpError(subject, "claims a picture of " + std::to_string(header.width) + " x " +
                                       std::to_string(header.height) + " pixels in only " +
                                       std::to_string(header.pixelBytes) + " bytes of RLE data");
        }
    } else {
        const std::uint64_t lastRow =
            (static_cast<std::uint64_t>(header.width) * static_cast<std::uint64_t>(bits) + 7) / 8;
        const std::uint64_t needed =
            static_cast<std::uint64_t>(header.FileRowBytes()) * (header.height - 1) + lastRow;
        if (header.pixelBytes < needed) {
            ThrowBmpError(subject, "is truncated");
        }
    }
    return header;
}

} // namespace pixmoth
