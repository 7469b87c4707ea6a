#include "imaging/codecs/IconReader.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/AlphaOnWhite.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/BmpHeader.h"
#include "imaging/codecs/InputFile.h"
#include "imaging/codecs/LittleEndian.h"
#include "imaging/codecs/PngCodec.h"

namespace pixmoth {

namespace {

constexpr std::size_t kDirectoryBytes = 6;
constexpr std::size_t kEntryBytes = 16;
constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCoreHeader = 12;
constexpr std::uint32_t kInfoHeader = 40;
// Enough of a picture's start for its size and depth: a bitmap's info header,
// or a PNG's signature and header chunk.
constexpr std::size_t kPictureHeadBytes = 40;
// No icon picture needs more; a larger claim is a damaged entry.
constexpr std::uint64_t kMaxPictureBytes = std::uint64_t{1} << 30;

// Byte ranges of the icon, from memory or from its file; shorter at the end.
using ReadRange = std::function<std::vector<std::uint8_t>(std::uint64_t offset, std::size_t size)>;

// One picture of the directory, as its own header describes it (the
// directory's size and depth bytes are often wrong, and a cursor's hold its
// hot spot instead).
struct Picture {
    int number = 0; // 1-based place in the directory
    std::uint64_t offset = 0;
    std::size_t bytes = 0; // of the picture's data that the file holds
    bool png = false;
    int width = 0;
    int height = 0; // of the picture, not of colour and mask together
    int bits = 0;
};

std::uint32_t Be32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// Size and depth from the picture's first bytes; nullopt when they make no sense.
std::optional<Picture> Describe(Picture picture, const std::vector<std::uint8_t>& head) {
    if (IsPngData(head.data(), head.size())) {
        if (head.size() < kPngHeadBytes || std::memcmp(head.data() + 12, "IHDR", 4) != 0) {
            return std::nullopt;
        }
        const std::uint32_t width = Be32(head.data() + 16);
        const std::uint32_t height = Be32(head.data() + 20);
        if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) {
            return std::nullopt;
        }
        // Samples per pixel by colour type: grey, -, RGB, palette, grey + alpha, -, RGBA.
        static const int kSamples[7] = {1, 0, 3, 1, 2, 0, 4};
        const int type = head[25];
        picture.png = true;
        picture.width = static_cast<int>(width);
        picture.height = static_cast<int>(height);
        picture.bits = type < 7 ? head[24] * kSamples[type] : 0;
        return picture;
    }
    if (head.size() < 4) {
        return std::nullopt;
    }
    const std::uint32_t headerSize = Le32(head.data());
    std::int64_t width = 0;
    std::int64_t doubled = 0;
    if (headerSize == kCoreHeader && head.size() >= kCoreHeader) {
        width = Le16(head.data() + 4);
        doubled = Le16(head.data() + 6);
        picture.bits = Le16(head.data() + 10);
    } else if (headerSize >= kInfoHeader && head.size() >= kInfoHeader) {
        width = static_cast<std::int32_t>(Le32(head.data() + 4));
        doubled = static_cast<std::int32_t>(Le32(head.data() + 8));
        picture.bits = Le16(head.data() + 14);
    } else {
        return std::nullopt;
    }
    // Colour rows and mask rows, bottom-up; top-down is not defined for icons.
    const int bits = picture.bits;
    const bool knownDepth =
        bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (width <= 0 || doubled < 2 || !knownDepth) {
        return std::nullopt;
    }
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(doubled / 2);
    return picture;
}

bool Better(const Picture& a, const Picture& b) {
    const std::uint64_t areaA = std::uint64_t(a.width) * std::uint64_t(a.height);
    const std::uint64_t areaB = std::uint64_t(b.width) * std::uint64_t(b.height);
    return areaA != areaB ? areaA > areaB : a.bits > b.bits;
}

// Reads the directory and each picture's header; returns the picture to show.
// Pictures that are not in the file, or whose header makes no sense, are
// passed over.
Picture Choose(const ReadRange& read, std::uint64_t fileSize, const std::string& subject) {
    const std::vector<std::uint8_t> directory = read(0, kDirectoryBytes);
    if (directory.size() < kDirectoryBytes || Le16(directory.data()) != 0 ||
        (Le16(directory.data() + 2) != 1 && Le16(directory.data() + 2) != 2)) {
        throw Error(subject + " is not an icon or cursor file");
    }
    const int count = Le16(directory.data() + 4);
    if (count == 0) {
        throw Error(subject + " holds no pictures");
    }
    const std::vector<std::uint8_t> entries = read(kDirectoryBytes, count * kEntryBytes);
    if (entries.size() < count * kEntryBytes) {
        throw Error(subject + " is truncated");
    }
    std::optional<Picture> best;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* entry = entries.data() + i * kEntryBytes;
        Picture picture;
        picture.number = i + 1;
        picture.offset = Le32(entry + 12);
        const std::uint32_t declared = Le32(entry + 8);
        if (picture.offset >= fileSize || declared == 0) {
            continue; // nothing of it is in the file
        }
        picture.bytes = static_cast<std::size_t>(
            std::min<std::uint64_t>({declared, fileSize - picture.offset, kMaxPictureBytes}));
        const std::optional<Picture> described =
            Describe(picture, read(picture.offset, std::min(picture.bytes, kPictureHeadBytes)));
        if (described && (!best || Better(*described, *best))) {
            best = described;
        }
    }
    if (!best) {
        throw Error(subject + " holds no picture that can be read");
    }
    return *best;
}

// Bytes of one stored row of `width` pixels at `bits`, padded to 4.
std::uint64_t StoredRowBytes(std::uint64_t width, int bits) {
    return (width * static_cast<std::uint64_t>(bits) + 31) / 32 * 4;
}

// White AND mask XOR colour: a mask bit of 1 turns the colour into its inverse.
void MaskOnWhite(const std::uint8_t* colour, const std::uint8_t* mask, std::uint8_t* out,
                 int width) {
    for (int x = 0; x < width; ++x, colour += 3, out += 3) {
        const std::uint8_t flip = ((mask[x / 8] >> (7 - x % 8)) & 1) != 0 ? 0xFF : 0;
        out[0] = colour[0] ^ flip;
        out[1] = colour[1] ^ flip;
        out[2] = colour[2] ^ flip;
    }
}

bool HasAlpha(const Bitmap& colour) {
    if (colour.Format() != PixelFormat::Bit32) {
        return false;
    }
    for (int y = 0; y < colour.Height(); ++y) {
        const std::uint8_t* row = colour.ScanLine(y);
        for (int x = 0; x < colour.Width(); ++x) {
            if (row[4 * x + 3] != 0) {
                return true;
            }
        }
    }
    return false;
}

// A bitmap picture: its colour rows through the BMP reader (given a file
// header and the height of the colour rows alone), then the mask.
Bitmap DecodeDib(const std::vector<std::uint8_t>& data, const Picture& picture,
                 const std::string& subject) {
    const bool core = Le32(data.data()) == kCoreHeader;
    const std::uint32_t headerSize = Le32(data.data());
    const std::uint32_t compression = core ? 0 : Le32(data.data() + 16);
    if (compression != 0 && compression != 3 && compression != 6) {
        throw Error(subject + " uses unsupported compression " + std::to_string(compression));
    }
    if (std::uint64_t(picture.width) * std::uint64_t(picture.height) > kMaxBmpPixels) {
        throw Error(subject + " claims more pixels than this program opens");
    }
    std::uint64_t tableStart = headerSize;
    if (compression != 0 && headerSize == kInfoHeader) {
        tableStart += compression == 6 ? 16 : 12; // the bit field masks follow the header
    }
    std::uint64_t entries = 0;
    if (picture.bits <= 8) {
        const std::uint32_t used = core ? 0 : Le32(data.data() + 32);
        entries = std::uint64_t{1} << std::min(picture.bits, 8);
        if (used != 0 && used < entries) {
            entries = used;
        }
    }
    const std::uint64_t pixelStart = tableStart + entries * (core ? 3 : 4);
    const std::uint64_t colourEnd =
        pixelStart + StoredRowBytes(std::uint64_t(picture.width), picture.bits) * picture.height;
    const std::uint64_t maskStride = StoredRowBytes(std::uint64_t(picture.width), 1);
    if (data.size() < colourEnd + maskStride * picture.height) {
        throw Error(subject + " is truncated");
    }

    std::vector<std::uint8_t> bmp(kFileHeaderBytes + colourEnd);
    bmp[0] = 'B';
    bmp[1] = 'M';
    const auto put32 = [&](std::size_t at, std::uint64_t value) {
        for (int i = 0; i < 4; ++i) {
            bmp[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    };
    put32(2, bmp.size());
    put32(10, kFileHeaderBytes + pixelStart);
    std::memcpy(bmp.data() + kFileHeaderBytes, data.data(), colourEnd);
    if (core) {
        bmp[kFileHeaderBytes + 6] = static_cast<std::uint8_t>(picture.height);
        bmp[kFileHeaderBytes + 7] = static_cast<std::uint8_t>(picture.height >> 8);
    } else {
        put32(kFileHeaderBytes + 8, static_cast<std::uint64_t>(picture.height));
    }
    const Bitmap colour = DecodeBmp(bmp.data(), bmp.size(), subject);

    Bitmap result;
    result.Reset(picture.width, picture.height, PixelFormat::Bit24);
    if (HasAlpha(colour)) {
        for (int y = 0; y < picture.height; ++y) {
            AlphaOnWhite(colour.ScanLine(y), result.ScanLine(y), picture.width);
        }
        return result;
    }
    const std::uint8_t* mask = data.data() + colourEnd;
    std::vector<std::uint8_t> row(std::size_t(picture.width) * 3);
    for (int y = 0; y < picture.height; ++y) {
        colour.ReadRowBgr(y, 0, picture.width, row.data());
        MaskOnWhite(row.data(), mask + maskStride * std::uint64_t(picture.height - 1 - y),
                    result.ScanLine(y), picture.width);
    }
    return result;
}

Bitmap Decode(const ReadRange& read, std::uint64_t fileSize, const std::string& subject) {
    const Picture picture = Choose(read, fileSize, subject);
    const std::string pictureSubject = subject + ": its " + std::to_string(picture.width) + " x " +
                                       std::to_string(picture.height) + " picture";
    const std::vector<std::uint8_t> data = read(picture.offset, picture.bytes);
    if (data.size() < picture.bytes) {
        throw Error(subject + " is truncated"); // it shrank since we looked
    }
    if (picture.png) {
        return DecodePng(data.data(), data.size(), pictureSubject);
    }
    return DecodeDib(data, picture, pictureSubject);
}

std::string FileSubject(const std::string& path) {
    // The extension names the kind the user chose; the contents may be either.
    std::string extension = path.size() >= 4 ? path.substr(path.size() - 4) : std::string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const bool cursor = extension == ".cur";
    return std::string(cursor ? "Cursor" : "Icon") + " file \"" + path + "\"";
}

} // namespace

Bitmap DecodeIcon(const std::uint8_t* data, std::size_t size) {
    const ReadRange read = [&](std::uint64_t offset, std::size_t length) {
        if (offset >= size) {
            return std::vector<std::uint8_t>();
        }
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(length, size - offset));
        return std::vector<std::uint8_t>(data + offset, data + offset + n);
    };
    return Decode(read, size, "The icon data");
}

Bitmap LoadIcon(const std::string& path) {
    InputFile file(path);
    const ReadRange read = [&](std::uint64_t offset, std::size_t length) {
        std::vector<std::uint8_t> bytes(length);
        bytes.resize(file.ReadAt(offset, bytes.data(), length));
        return bytes;
    };
    return Decode(read, file.Size(), FileSubject(path));
}

} // namespace pixmoth
