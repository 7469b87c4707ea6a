// Feeds arbitrary bytes to the BMP decoder: it may refuse them with an Error,
// but must not crash, read out of bounds, hang or allocate absurd amounts.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/BmpCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        pixmoth::Bitmap bitmap = pixmoth::DecodeBmp(data, size);
        // Whatever decodes must encode and decode back to the same bits. Large
        // pictures (mostly empty RLE claims) skip this, which would only slow the search.
        if (bitmap.ByteSize() > (std::size_t{1} << 20)) {
            return 0;
        }
        const std::vector<std::uint8_t> encoded = pixmoth::EncodeBmp(bitmap);
        const pixmoth::Bitmap again = pixmoth::DecodeBmp(encoded.data(), encoded.size());
        if (again.Width() != bitmap.Width() || again.Height() != bitmap.Height() ||
            again.Format() != bitmap.Format() || again.Palette() != bitmap.Palette() ||
            std::memcmp(again.Bits(), bitmap.Bits(), bitmap.ByteSize()) != 0) {
            __builtin_trap();
        }
    } catch (const pixmoth::Error&) {
    }
    return 0;
}
