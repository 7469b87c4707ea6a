#pragma once

#include <cstdint>

namespace pixmoth {

// Blends a row of blue, green, red, alpha pixels onto white, into blue, green,
// red (and 255 when `outBytes` is 4): (c * a + 255 * (255 - a)) / 255 rounded
// to nearest, which (v + 128 + ((v + 128) >> 8)) >> 8 gives for every v up to
// 65535. The program's pictures have no transparency; this is how readers of
// formats with alpha show it.
inline void AlphaOnWhite(const std::uint8_t* in, std::uint8_t* out, int width, int outBytes = 3) {
    for (int x = 0; x < width; ++x, in += 4, out += outBytes) {
        const unsigned alpha = in[3];
        const unsigned white = 255 * (255 - alpha) + 128;
        for (int c = 0; c < 3; ++c) {
            const unsigned v = in[c] * alpha + white;
            out[c] = static_cast<std::uint8_t>((v + (v >> 8)) >> 8);
        }
        if (outBytes == 4) {
            out[3] = 255;
        }
    }
}

} // namespace pixmoth
