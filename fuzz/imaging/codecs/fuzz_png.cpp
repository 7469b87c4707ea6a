// Feeds arbitrary bytes to the PNG decoder: it may refuse them with an Error,
// but must not crash, read out of bounds, hang or allocate absurd amounts.
// Whatever decodes must decode to the same pixels in 32 bits (the fourth byte
// 255), and encode and decode back to the same pixels.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzRequire.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/PngCodec.h"

namespace {

bool SameAs32(const pixmoth::Bitmap& bitmap, const pixmoth::Bitmap& wide) {
    if (wide.Width() != bitmap.Width() || wide.Height() != bitmap.Height() ||
        wide.Format() != pixmoth::PixelFormat::Bit32) {
        return false;
    }
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* in = bitmap.ScanLine(y);
        const std::uint8_t* out = wide.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x, in += 3, out += 4) {
            if (std::memcmp(in, out, 3) != 0 || out[3] != 255) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const pixmoth::Bitmap bitmap = pixmoth::DecodePng(data, size);
        // Large pictures skip the checks, which would only slow the search.
        if (bitmap.ByteSize() > (std::size_t{1} << 20)) {
            return 0;
        }
        const pixmoth::Bitmap wide =
            pixmoth::DecodePng(data, size, "The PNG data", pixmoth::PixelFormat::Bit32);
        Require(SameAs32(bitmap, wide), "the 32-bit picture differs from the 24-bit one");
        const std::vector<std::uint8_t> encoded = pixmoth::EncodePng(bitmap);
        const pixmoth::Bitmap again = pixmoth::DecodePng(encoded.data(), encoded.size());
        Require(again.Width() == bitmap.Width() && again.Height() == bitmap.Height() &&
                    again.Format() == bitmap.Format() &&
                    std::memcmp(again.Bits(), bitmap.Bits(), bitmap.ByteSize()) == 0,
                "the round trip changed the picture");
    } catch (const pixmoth::Error&) {
    }
    return 0;
}
