// Feeds arbitrary bytes to the PNG decoder: it may refuse them with an Error,
// but must not crash, read out of bounds, hang or allocate absurd amounts.
// Whatever decodes must encode and decode back to the same pixels.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/PngCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const pixmoth::Bitmap bitmap = pixmoth::DecodePng(data, size);
        // Large pictures skip the round trip, which would only slow the search.
        if (bitmap.ByteSize() > (std::size_t{1} << 20)) {
            return 0;
        }
        const std::vector<std::uint8_t> encoded = pixmoth::EncodePng(bitmap);
        const pixmoth::Bitmap again = pixmoth::DecodePng(encoded.data(), encoded.size());
        if (again.Width() != bitmap.Width() || again.Height() != bitmap.Height() ||
            again.Format() != bitmap.Format() ||
            std::memcmp(again.Bits(), bitmap.Bits(), bitmap.ByteSize()) != 0) {
            __builtin_trap();
        }
    } catch (const pixmoth::Error&) {
    }
    return 0;
}
