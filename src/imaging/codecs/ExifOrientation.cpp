#include "imaging/codecs/ExifOrientation.h"

#include <cstring>
#include <utility>

#include "imaging/effects/Transforms.h"

namespace pixmoth {

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kTypeShort = 3;
constexpr std::uint16_t kTypeLong = 4;
constexpr std::size_t kTiffHeaderBytes = 8;
constexpr std::size_t kEntryBytes = 12;

// Reads the TIFF block's numbers in its own byte order; every caller has checked
// that the bytes lie inside the block.
struct TiffReader {
    const std::uint8_t* tiff;
    bool bigEndian;

    unsigned U16(std::size_t at) const {
        const std::uint8_t* p = tiff + at;
        return bigEndian ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
    }
    std::uint32_t U32(std::size_t at) const {
        const std::uint8_t* p = tiff + at;
        return bigEndian ? (std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 |
                            std::uint32_t{p[2]} << 8 | p[3])
                         : (std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 |
                            std::uint32_t{p[1]} << 8 | p[0]);
    }
};

} // namespace

int ExifOrientation(const std::uint8_t* data, std::size_t size) {
    static constexpr std::uint8_t kSignature[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (data == nullptr || size < sizeof kSignature + kTiffHeaderBytes ||
        std::memcmp(data, kSignature, sizeof kSignature) != 0) {
        return 1;
    }
    // Offsets inside the TIFF block count from its first byte, after the signature.
    const std::uint8_t* tiff = data + sizeof kSignature;
    const std::size_t length = size - sizeof kSignature;
    TiffReader reader{tiff, false};
    if (tiff[0] == 'M' && tiff[1] == 'M') {
        reader.bigEndian = true;
    } else if (!(tiff[0] == 'I' && tiff[1] == 'I')) {
        return 1;
    }
    if (reader.U16(2) != 42) {
        return 1;
    }
    const std::uint32_t ifd = reader.U32(4);
    if (ifd < kTiffHeaderBytes || ifd > length - 2) {
        return 1;
    }
    const unsigned count = reader.U16(ifd);
    // Entries that would run past the block are not there; a shorter list is read
    // as far as it goes, as the tag usually comes early.
    const std::size_t available = (length - ifd - 2) / kEntryBytes;
    const std::size_t entries = count < available ? count : available;
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = ifd + 2 + i * kEntryBytes;
        if (reader.U16(entry) != kOrientationTag) {
            continue;
        }
        const unsigned type = reader.U16(entry + 2);
        if (reader.U32(entry + 4) < 1) {
            return 1;
        }
        // A value of one short or long sits at the start of the 4-byte value field.
        std::uint32_t value = 0;
        if (type == kTypeShort) {
            value = reader.U16(entry + 8);
        } else if (type == kTypeLong) {
            value = reader.U32(entry + 8);
        } else {
            return 1;
        }
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}

void ApplyExifOrientation(Bitmap& bitmap, int orientation) {
    if (orientation < 2 || orientation > 8) {
        return;
    }
    bitmap.To24Bit();
    // The turns need a second picture; the mirrors work in place.
    Bitmap turned;
    switch (orientation) {
    case 2:
        FlipRight(bitmap);
        return;
    case 3:
        FlipRight(bitmap);
        FlipDown(bitmap);
        return;
    case 4:
        FlipDown(bitmap);
        return;
    case 5:
        RotateRight(bitmap, turned);
        FlipRight(turned);
        break;
    case 6:
        RotateRight(bitmap, turned);
        break;
    case 7:
        RotateLeft(bitmap, turned);
        FlipRight(turned);
        break;
    case 8:
        RotateLeft(bitmap, turned);
        break;
    }
    bitmap = std::move(turned);
}

} // namespace pixmoth
