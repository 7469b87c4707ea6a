#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/bitmap/Bitmap.h"

// Icon (".ico") and cursor (".cur") files holding one image, the
// device-independent bitmaps inside them, and glyph bitmaps.
//
// File layout (little-endian):
//   0   directory header: reserved 0, type 1 (icon, also for cursor names), count 1
//   6   one 16-byte entry: width and height bytes (low bytes of W and H, 0 for
//       256), the bits per pixel in the colour-count byte, reserved 0, planes 0,
//       bit count 0, bytes in the image, offset 22
//   22  the colour image's BITMAPINFOHEADER with the height doubled (colour
//       rows plus mask rows) and its colour table (8 bits and less)
//       then the colour rows and the one-bit mask rows, both bottom-up and
//       padded to 4 bytes; the mask has no header of its own
// Pixels of 8 bits and less use the bitmap's fixed palettes, colours mapped to
// the nearest entry, ties to the lower index: 1 bit black and white, 4 bits the
// 16 standard colours, 8 bits the halftone palette (HalftonePalette.h).
namespace pixmoth {

// An icon as the converter makes it: a colour image and a mask of the same
// size. Mask pixels of index 1 (white) are transparent, 0 (black) opaque; the
// colour image is black where the mask is transparent, so readers that combine
// the two as AND mask and XOR image show exactly the opaque pixels.
struct IconBitmaps {
    Bitmap color;
    Bitmap mask;
};

// Depth codes: what the converter's colour depth choice passes to the writer.
inline constexpr std::uint8_t kIconDepth1 = 0;
inline constexpr std::uint8_t kIconDepth4 = 1;
inline constexpr std::uint8_t kIconDepth8 = 2;
inline constexpr std::uint8_t kIconDepth24 = 3;
inline constexpr std::uint8_t kIconDepth32 = 4;
// Bits per pixel of a depth code: 1, 4, 8, 24, 32; any other code means 24.
int IconDepthBits(std::uint8_t depth);
PixelFormat IconDepthFormat(std::uint8_t depth);

// Result codes of WriteIconFile and EncodeIconFile.
inline constexpr int kIconWritten = 0;
inline constexpr int kIconNameTooShort = -1; // fewer than 4 characters; nothing is done
inline constexpr int kIconNoBitmaps = -2;    // the icon has no mask
inline constexpr int kIconNotConverted = -3; // no colour image, sizes differ, or a side over 256
inline constexpr int kIconNotCreated = -4;   // the file could not be made or put in place
inline constexpr int kIconNotWritten = -5;   // writing the file failed

inline constexpr std::size_t kIconDirectoryBytes = 6;
inline constexpr std::size_t kIconEntryBytes = 16;
inline constexpr std::size_t kIconImageOffset = kIconDirectoryBytes + kIconEntryBytes;
inline constexpr std::size_t kDibHeaderBytes = 40;

// Bytes of one DIB row of `width` pixels at `bits` per pixel, padded to 4.
std::size_t DibStride(int width, int bits);

// The bitmap as a device-independent bitmap at the depth's bits per pixel:
// `headerBlock` gets the 40-byte BITMAPINFOHEADER (height positive, planes 1,
// uncompressed, image size = stride x height, resolution 0, colours used and
// important = 2, 16 or 256 for palette depths, else 0) followed by the colour
// table (blue, green, red, 0 per entry); `pixelRows` gets the rows bottom-up,
// padding and spare bits zero (the fourth byte of 32-bit pixels too). Returns
// the header block's size, or 0 for an empty bitmap (both buffers then empty).
std::size_t BitmapToDIB(const Bitmap& bitmap, std::uint8_t depth,
                        std::vector<std::uint8_t>& headerBlock,
                        std::vector<std::uint8_t>& pixelRows);

// The icon file's bytes. The colour image is written at `depth`, the mask at 1
// bit; at 32 bits the fourth byte of every pixel is its alpha: 255 where the
// mask is opaque, 0 where it is transparent. Returns kIconWritten with `file`
// filled, or kIconNoBitmaps / kIconNotConverted with `file` empty.
int EncodeIconFile(const IconBitmaps& icon, std::uint8_t depth, std::vector<std::uint8_t>& file);

// Writes the icon file; cursor names get the same bytes. The file is replaced
// only once the new one is complete (WriteFileAtomically), so a failure leaves
// any old file as it was. Returns a result code; on failure `failure`, when
// given, receives a text that names the file and the reason.
int WriteIconFile(const std::string& fileName, const IconBitmaps& icon, std::uint8_t depth,
                  std::string* failure = nullptr);

// A glyph bitmap: `picture` as a BMP file at the depth's bits per pixel (the
// fixed palettes above), written atomically; errors name the file.
void SaveGlyph(const Bitmap& picture, std::uint8_t depth, const std::string& fileName);

} // namespace pixmoth
