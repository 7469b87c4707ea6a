// Feeds arbitrary bytes to the JPEG decoder (full size and scaled) and sends the
// small pictures it makes back through the encoder.
#include <cstddef>
#include <cstdint>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/JpegCodec.h"

namespace {

// Legal pictures of more than a megapixel only cost the fuzzer time: decoding a tiny
// file that claims 14000 x 14000 pixels is correct, and slow.
constexpr std::uint64_t kMaxFuzzPixels = 1'000'000;
constexpr std::uint64_t kMaxEncodePixels = 65'536;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const pixmoth::JpegSize claimed = pixmoth::ReadJpegSize(data, size);
        const std::uint64_t pixels = std::uint64_t(claimed.width) * std::uint64_t(claimed.height);
        if (pixels > kMaxFuzzPixels) {
            return 0;
        }
        const pixmoth::Bitmap picture = pixmoth::DecodeJpeg(data, size);
        if (picture.Width() != claimed.width || picture.Height() != claimed.height) {
            __builtin_trap(); // the header and the picture must agree
        }
        if (size > 0) {
            pixmoth::DecodeJpegScaled(data, size, 1 + data[size - 1] % 64);
        }
        if (pixels <= kMaxEncodePixels) {
            pixmoth::EncodeJpeg(picture, 1 + static_cast<int>(size % 100));
        }
    } catch (const pixmoth::Error&) {
    }
    return 0;
}
