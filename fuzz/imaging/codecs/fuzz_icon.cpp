// Feeds arbitrary bytes to the icon and cursor reader: it may refuse them
// with an Error, but must not crash, read out of bounds, hang or allocate
// absurd amounts, and whatever it shows is a 24-bit picture.
#include <cstddef>
#include <cstdint>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/IconReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const pixmoth::Bitmap bitmap = pixmoth::DecodeIcon(data, size);
        if (bitmap.Empty() || bitmap.Format() != pixmoth::PixelFormat::Bit24) {
            __builtin_trap();
        }
    } catch (const pixmoth::Error&) {
    }
    return 0;
}
